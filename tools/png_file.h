// Writing a rendered frame as a PNG file.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

namespace roamlets {

// Writes `rgba` (width x height pixels, top row first) as an opaque 8-bit RGB
// PNG. The file appears whole or not at all: the picture goes to a temporary
// file beside `path`, which replaces `path` only once it is complete. On
// failure returns false with the reason in `error` and leaves nothing behind.
bool write_png(const std::string& path, int width, int height, const std::vector<std::uint8_t>& rgba,
               std::string* error);

}  // namespace roamlets
