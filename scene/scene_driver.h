// The model half of a scene's life: initialising it for a saver run, and the
// tick that advances the camera and every mover.
#pragma once

#include <cstdint>

#include "scene/scene_state.h"
#include "settings/settings.h"

namespace roamlets {

// Resets the camera, seeds the generator, brings both populations to the
// counts in `settings` and runs the 50 warm-up passes that fill the trails.
// The tick counter is left as it is.
void init_scene_model(SceneState& scene, const Settings& settings, std::uint32_t seed);

// As above, seeded with calendar_seed().
void init_scene_model(SceneState& scene, const Settings& settings);

// The current calendar time in whole seconds, the seed of a saver run.
std::uint32_t calendar_seed();

// One simulation tick: the camera of the view mode in `settings`, then every
// chaser, then every roamlet, then the tick counter.
void scene_tick(SceneState& scene, const Settings& settings);

}  // namespace roamlets
