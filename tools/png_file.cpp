#include "tools/png_file.h"

#include <png.h>

#include <cerrno>
#include <cstring>

namespace roamlets {
namespace {

std::vector<std::uint8_t> drop_alpha(const std::vector<std::uint8_t>& rgba) {
  std::vector<std::uint8_t> rgb;
  rgb.reserve(rgba.size() / 4u * 3u);
  for (std::size_t i = 0; i + 3 < rgba.size(); i += 4) rgb.insert(rgb.end(), &rgba[i], &rgba[i + 3]);
  return rgb;
}

}  // namespace

bool encode_png(std::FILE* file, int width, int height, const std::vector<std::uint8_t>& rgba,
                std::string* error) {
  if (width < 1 || height < 1 ||
      rgba.size() != static_cast<std::size_t>(width) * static_cast<std::size_t>(height) * 4u) {
    *error = "the frame's size does not match its pixels";
    return false;
  }
  const std::vector<std::uint8_t> rgb = drop_alpha(rgba);
  png_image image{};
  image.version = PNG_IMAGE_VERSION;
  image.width = static_cast<png_uint_32>(width);
  image.height = static_cast<png_uint_32>(height);
  image.format = PNG_FORMAT_RGB;
  errno = 0;
  if (png_image_write_to_stdio(&image, file, 0, rgb.data(), 0, nullptr) == 0) {
    *error = image.message;
    if (errno != 0) *error += std::string(" (") + std::strerror(errno) + ")";
    return false;
  }
  if (std::fflush(file) != 0) {
    *error = std::strerror(errno);
    return false;
  }
  return true;
}

}  // namespace roamlets
