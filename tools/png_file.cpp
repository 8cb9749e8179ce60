#include "tools/png_file.h"

#include <png.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <cstring>

namespace roamlets {
namespace {

std::vector<std::uint8_t> drop_alpha(const std::vector<std::uint8_t>& rgba) {
  std::vector<std::uint8_t> rgb;
  rgb.reserve(rgba.size() / 4u * 3u);
  for (std::size_t i = 0; i + 3 < rgba.size(); i += 4) rgb.insert(rgb.end(), &rgba[i], &rgba[i + 3]);
  return rgb;
}

// Temporary files are created readable by the owner only; the picture gets
// the permissions of any new file.
void give_default_permissions(int fd) {
  const mode_t mask = umask(0);
  umask(mask);
  fchmod(fd, 0666 & ~mask);
}

bool encode(std::FILE* file, int width, int height, const std::vector<std::uint8_t>& rgba,
            std::string* error) {
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
  return true;
}

}  // namespace

bool write_png(const std::string& path, int width, int height, const std::vector<std::uint8_t>& rgba,
               std::string* error) {
  if (width < 1 || height < 1 ||
      rgba.size() != static_cast<std::size_t>(width) * static_cast<std::size_t>(height) * 4u) {
    *error = "the frame's size does not match its pixels";
    return false;
  }
  std::string temp = path + ".XXXXXX";
  const int fd = mkstemp(temp.data());
  if (fd < 0) {
    *error = std::strerror(errno);
    return false;
  }
  give_default_permissions(fd);
  std::FILE* file = fdopen(fd, "wb");
  if (file == nullptr) {
    *error = std::strerror(errno);
    close(fd);
    unlink(temp.c_str());
    return false;
  }
  bool ok = encode(file, width, height, rgba, error);
  if (ok && std::fflush(file) != 0) {
    *error = std::strerror(errno);
    ok = false;
  }
  if (std::fclose(file) != 0 && ok) {
    *error = std::strerror(errno);
    ok = false;
  }
  if (ok && std::rename(temp.c_str(), path.c_str()) != 0) {
    *error = std::strerror(errno);
    ok = false;
  }
  if (!ok) unlink(temp.c_str());
  return ok;
}

}  // namespace roamlets
