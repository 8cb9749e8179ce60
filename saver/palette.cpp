#include "saver/palette.h"

namespace roamlets::saver {
namespace {

std::uint8_t component(std::uint32_t index, std::uint8_t bits, std::uint8_t shift) {
  const std::uint32_t mask = bits >= 8 ? 255u : (1u << bits) - 1u;
  if (mask == 0) return 0;
  const std::uint32_t value = (shift < 32 ? index >> shift : 0u) & mask;
  return static_cast<std::uint8_t>(static_cast<double>(value) * 255.0 / static_cast<double>(mask));
}

}  // namespace

std::vector<PaletteEntry> palette_entries(const ChannelLayout& layout) {
  std::vector<PaletteEntry> entries;
  if (layout.color_bits > kMaxPaletteBits) return entries;
  const std::uint32_t count = 1u << layout.color_bits;
  entries.reserve(count);
  for (std::uint32_t i = 0; i < count; ++i) {
    entries.push_back({component(i, layout.red_bits, layout.red_shift),
                       component(i, layout.green_bits, layout.green_shift),
                       component(i, layout.blue_bits, layout.blue_shift), 0});
  }
  return entries;
}

}  // namespace roamlets::saver
