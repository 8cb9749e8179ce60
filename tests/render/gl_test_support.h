// Support for tests that draw into a real off-screen OpenGL context: a fresh
// context per test, feedback capture of what a draw call sends to the
// rasteriser, and pixel reads.
#pragma once

#include <gtest/gtest.h>

#include <array>
#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "render/gl.h"
#include "render/osmesa_surface.h"

namespace roamlets::testing_gl {

// A vertex as it reaches the rasteriser: window coordinates and colour.
struct WindowVertex {
  float x, y, z;
  float r, g, b, a;
};

// The captured primitives of one draw: every point, and every line strip
// rebuilt from its segments.
struct Feedback {
  std::vector<WindowVertex> points;
  std::vector<std::vector<WindowVertex>> strips;
};

// Runs `draw` in feedback mode and returns what it would have drawn.
Feedback capture_feedback(const std::function<void()>& draw);

// Compiles the given points into a display list and returns its name.
GLuint compile_points(const std::vector<std::array<float, 3>>& points);

using Rgba = std::array<std::uint8_t, 4>;

// A frame read back from the surface, top row first.
struct Frame {
  int width = 0;
  int height = 0;
  std::vector<std::uint8_t> rgba;
  Rgba at(int x, int y) const;
  bool lit(int x, int y) const;
};

class GlTest : public ::testing::Test {
 protected:
  static constexpr int kWidth = 800;
  static constexpr int kHeight = 600;

  void SetUp() override {
    std::string error;
    surface_ = OsMesaSurface::create(kWidth, kHeight, &error);
    ASSERT_NE(surface_, nullptr) << error;
  }

  Frame frame() const { return Frame{surface_->width(), surface_->height(), surface_->read_rgba_top_down()}; }

  std::unique_ptr<OsMesaSurface> surface_;
};

}  // namespace roamlets::testing_gl
