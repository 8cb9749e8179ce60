#include "render/osmesa_surface.h"

#include <GL/osmesa.h>

#include <cstring>

#include "render/address_space.h"

namespace roamlets {

namespace {

// Mesa allocates its own colour, depth and stencil buffers at the first frame
// and crashes when that fails. Room for them and for our own colour buffer,
// with a margin for its drawing threads and compiled shaders, is asked for
// beforehand.
bool room_for_mesa_buffers(int width, int height) {
  constexpr std::size_t kMargin = std::size_t{384} << 20;
  return address_space_free(static_cast<std::size_t>(width) * static_cast<std::size_t>(height) * 4u * 3u + kMargin);
}

}  // namespace

struct OsMesaSurface::Context {
  OSMesaContext handle = nullptr;
  ~Context() {
    if (handle != nullptr) OSMesaDestroyContext(handle);
  }
};

OsMesaSurface::OsMesaSurface(int width, int height)
    : width_(width),
      height_(height),
      buffer_(static_cast<std::size_t>(width) * static_cast<std::size_t>(height) * 4u),
      context_(std::make_unique<Context>()) {}

OsMesaSurface::~OsMesaSurface() = default;

std::unique_ptr<OsMesaSurface> OsMesaSurface::create(int width, int height, std::string* error) {
  if (width < 1 || height < 1 || width > kMaxSide || height > kMaxSide) {
    *error = "size out of range (1 to " + std::to_string(kMaxSide) + " pixels a side)";
    return nullptr;
  }
  if (!room_for_mesa_buffers(width, height)) {
    *error = "out of memory for the off-screen OpenGL buffers";
    return nullptr;
  }
  std::unique_ptr<OsMesaSurface> surface(new OsMesaSurface(width, height));
  surface->context_->handle = OSMesaCreateContextExt(OSMESA_RGBA, 24, 0, 0, nullptr);
  if (surface->context_->handle == nullptr) {
    *error = "cannot create an off-screen OpenGL context";
    return nullptr;
  }
  if (!OSMesaMakeCurrent(surface->context_->handle, surface->buffer_.data(), GL_UNSIGNED_BYTE, width,
                         height)) {
    *error = "cannot make the off-screen OpenGL context current";
    return nullptr;
  }
  if (glGetError() == GL_OUT_OF_MEMORY) {
    *error = "out of memory for the off-screen OpenGL buffers";
    return nullptr;
  }
  return surface;
}

std::vector<std::uint8_t> OsMesaSurface::read_rgba_top_down() const {
  glFinish();
  // The buffer holds the bottom row first.
  const std::size_t row = static_cast<std::size_t>(width_) * 4u;
  std::vector<std::uint8_t> rows(buffer_.size());
  for (std::size_t y = 0; y < static_cast<std::size_t>(height_); ++y) {
    std::memcpy(rows.data() + y * row, buffer_.data() + (static_cast<std::size_t>(height_) - 1u - y) * row,
                row);
  }
  return rows;
}

}  // namespace roamlets
