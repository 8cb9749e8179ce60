// An off-screen OpenGL context with its own colour buffer, for drawing
// without a display: the headless renderer, the OpenGL tests and the
// benchmarks. Linux only (Mesa's OSMesa).
#pragma once

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

namespace roamlets {

class OsMesaSurface {
 public:
  // Sides above this are refused, which bounds the buffer at 256 MiB.
  static constexpr int kMaxSide = 8192;

  // A context with a 24-bit depth buffer and an RGBA colour buffer of the
  // given size, made current. Returns null and sets `error` on failure.
  static std::unique_ptr<OsMesaSurface> create(int width, int height, std::string* error);

  ~OsMesaSurface();
  OsMesaSurface(const OsMesaSurface&) = delete;
  OsMesaSurface& operator=(const OsMesaSurface&) = delete;

  int width() const { return width_; }
  int height() const { return height_; }

  // Waits for drawing to finish and returns the frame as RGBA rows, top row
  // first.
  std::vector<std::uint8_t> read_rgba_top_down() const;

 private:
  struct Context;
  OsMesaSurface(int width, int height);

  int width_;
  int height_;
  std::vector<std::uint8_t> buffer_;
  std::unique_ptr<Context> context_;
};

}  // namespace roamlets
