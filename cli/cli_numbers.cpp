#include "cli/cli_numbers.h"

namespace roamlets {
namespace {

constexpr std::int64_t kBitsLow = INT32_MIN;
constexpr std::int64_t kBitsHigh = UINT32_MAX;

// Reads [+-]digits into a 64-bit value; gives up on anything else or on more
// digits than any 32-bit value needs.
std::optional<std::int64_t> parse_decimal(std::string_view text) {
  bool negative = false;
  if (!text.empty() && (text.front() == '-' || text.front() == '+')) {
    negative = text.front() == '-';
    text.remove_prefix(1);
  }
  if (text.empty() || text.size() > 10) {
    return std::nullopt;
  }
  std::int64_t value = 0;
  for (const char c : text) {
    if (c < '0' || c > '9') {
      return std::nullopt;
    }
    value = value * 10 + (c - '0');
  }
  return negative ? -value : value;
}

std::optional<std::int64_t> parse_in_range(std::string_view text, std::int64_t low, std::int64_t high) {
  const auto value = parse_decimal(text);
  if (!value || *value < low || *value > high) {
    return std::nullopt;
  }
  return value;
}

}  // namespace

std::optional<std::int32_t> parse_int32(std::string_view text) {
  const auto value = parse_in_range(text, INT32_MIN, INT32_MAX);
  return value ? std::optional<std::int32_t>(static_cast<std::int32_t>(*value)) : std::nullopt;
}

std::optional<std::uint32_t> parse_uint32(std::string_view text) {
  const auto value = parse_in_range(text, 0, kBitsHigh);
  return value ? std::optional<std::uint32_t>(static_cast<std::uint32_t>(*value)) : std::nullopt;
}

std::optional<std::uint32_t> parse_bits32(std::string_view text) {
  const auto value = parse_in_range(text, kBitsLow, kBitsHigh);
  return value ? std::optional<std::uint32_t>(static_cast<std::uint32_t>(*value)) : std::nullopt;
}

std::optional<Size> parse_size(std::string_view text, int max_side) {
  const std::size_t x = text.find('x');
  if (x == std::string_view::npos) return std::nullopt;
  const auto w = parse_int32(text.substr(0, x));
  const auto h = parse_int32(text.substr(x + 1));
  if (!w || !h || *w < 1 || *h < 1 || *w > max_side || *h > max_side) return std::nullopt;
  return Size{*w, *h};
}

}  // namespace roamlets
