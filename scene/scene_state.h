// The scene model's state: the generator, the two populations, the tick
// counter and the camera of the Rotate and Snapshot modes, with the few
// numbers the renderer keeps beside them (the star list's name and the window
// size). Nothing here depends on OpenGL.
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

  // Owned by the renderer: the name of the compiled star field (0 for none)
  // and how many lists of its pieces follow that name (0: drawn as one list),
  // and the window size with its width-to-height ratio.
  std::uint32_t star_list = 0;
  std::uint32_t star_pieces = 0;
  std::int32_t viewport_width = 12;
  std::int32_t viewport_height = 12;
  float aspect = 1.0f;
};

}  // namespace roamlets
