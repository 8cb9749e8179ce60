// Growing and shrinking the two populations. Growing spawns movers with their
// random starting values; shrinking removes the newest and draws nothing. A
// count is taken as stored: it is clamped into 0..kMaxCount, a negative count
// meaning none.
#pragma once

#include <cstdint>

#include "scene/scene_state.h"
#include "settings/ranges.h"

namespace roamlets {

// Brings the roamlets to `count`. Chasers whose roamlet is removed lose their
// target until their next retarget.
void resize_roamlets(SceneState& scene, std::int32_t count);

// Brings the chasers to `count`; each new chaser picks the nearest roamlet.
void resize_chasers(SceneState& scene, std::int32_t count);

}  // namespace roamlets
