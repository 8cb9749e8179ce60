// Encoding a rendered frame as a PNG.
#pragma once

#include <cstdint>
#include <cstdio>
#include <string>
#include <vector>

namespace roamlets {

// Writes `rgba` (width x height pixels, top row first) to `file` as an opaque
// 8-bit RGB PNG and flushes it. On failure returns false with the reason in
// `error`.
bool encode_png(std::FILE* file, int width, int height, const std::vector<std::uint8_t>& rgba,
                std::string* error);

}  // namespace roamlets
