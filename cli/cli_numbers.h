// Strict reading of whole numbers from command-line arguments: the whole text
// must be an optional sign and decimal digits, and the value must fit.
#pragma once

#include <cstdint>
#include <optional>
#include <string_view>

namespace roamlets {

std::optional<std::int32_t> parse_int32(std::string_view text);

std::optional<std::uint32_t> parse_uint32(std::string_view text);

// A 32-bit pattern given as a signed or unsigned number: -2147483648 to
// 4294967295, negative values taken as their two's complement.
std::optional<std::uint32_t> parse_bits32(std::string_view text);

// A size written WxH, each side from 1 to `max_side`.
struct Size {
  int width = 0;
  int height = 0;
};
std::optional<Size> parse_size(std::string_view text, int max_side);

}  // namespace roamlets
