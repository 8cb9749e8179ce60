// The star field as a compiled display list.
#pragma once

#include <cstdint>

#include "scene/lcg.h"
#include "scene/scene_state.h"

namespace roamlets {

// Allocates a display-list name and compiles into it (compile only) the star
// field for `density`, drawn from `lcg`. Returns the name, or 0 when no name
// could be allocated (no current context); the draws are made either way, so
// the generator advances the same with or without OpenGL.
std::uint32_t compile_starfield(std::int32_t density, Lcg& lcg);

// Deletes the scene's star list and compiles a new one for `density` from the
// scene's generator, storing its name in the scene.
void rebuild_starfield(SceneState& scene, std::int32_t density);

}  // namespace roamlets
