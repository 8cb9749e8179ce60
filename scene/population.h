// Growing and shrinking the two populations. Growing spawns movers with their
// random starting values; shrinking removes the newest and draws nothing.
#pragma once

#include <cstdint>

#include "scene/scene_state.h"

namespace roamlets {

// The most movers a population holds. A count from the store outside 0..500
// is clamped into that range (a negative count means none), so a bad stored
// value can neither hang the scene nor exhaust memory.
inline constexpr std::int32_t kMaxPopulation = 500;

// Brings the roamlets to `count`. Chasers whose roamlet is removed lose their
// target until their next retarget.
void resize_roamlets(SceneState& scene, std::int32_t count);

// Brings the chasers to `count`; each new chaser picks the nearest roamlet.
void resize_chasers(SceneState& scene, std::int32_t count);

}  // namespace roamlets
