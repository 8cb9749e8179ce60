// The stored form of a setting: its 32 bits as four little-endian bytes, a
// negative value as its two's complement.
#pragma once

#include <array>
#include <cstdint>

namespace roamlets {

inline std::array<std::uint8_t, 4> dword_bytes(std::int32_t value) {
  const auto bits = static_cast<std::uint32_t>(value);
  return {static_cast<std::uint8_t>(bits), static_cast<std::uint8_t>(bits >> 8),
          static_cast<std::uint8_t>(bits >> 16), static_cast<std::uint8_t>(bits >> 24)};
}

inline std::int32_t dword_value(const std::uint8_t* data) {
  const std::uint32_t bits = std::uint32_t{data[0]} | std::uint32_t{data[1]} << 8 |
                             std::uint32_t{data[2]} << 16 | std::uint32_t{data[3]} << 24;
  return static_cast<std::int32_t>(bits);
}

}  // namespace roamlets
