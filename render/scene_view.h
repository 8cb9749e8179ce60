// What the renderer keeps beside the scene model for the OpenGL context it
// draws in: the names of the compiled star field, and the window size with
// its width-to-height ratio. The scene model knows nothing of it.
#pragma once

#include <cstdint>

namespace roamlets {

struct SceneView {
  // The name of the compiled star field (0 for none) and how many lists of its
  // pieces follow that name (0: drawn as one list).
  std::uint32_t star_list = 0;
  std::uint32_t star_pieces = 0;
  // The window size before the first resize, and its ratio.
  std::int32_t viewport_width = 12;
  std::int32_t viewport_height = 12;
  float aspect = 1.0f;
};

}  // namespace roamlets
