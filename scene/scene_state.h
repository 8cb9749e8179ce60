// The scene model's state: the generator, the two populations, the tick
// counter and the camera of the Rotate and Snapshot modes. Nothing here
// depends on OpenGL; what the renderer keeps is in render/scene_view.h.
#pragma once

#include <cstdint>
#include <vector>

#include "scene/lcg.h"
#include "scene/mover.h"

namespace roamlets {

struct SceneState {
  Lcg lcg;
  std::vector<Mover> roamlets;
  std::vector<Mover> chasers;
  // Advanced at the end of every tick, wrapping at 2^32; never reset.
  std::uint32_t tick_counter = 0;
  // Degrees about the x, y and z axes.
  float angle_x = 0.0f;
  float angle_y = 0.0f;
  float angle_z = 0.0f;
  float scale = 1.0f;
  float translate[3] = {0.0f, 0.0f, -3.0f};
};

}  // namespace roamlets
