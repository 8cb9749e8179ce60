// The logical palette for a pixel format that needs one: every pixel value of
// the format mapped to the colour its red, green and blue bits stand for.
#pragma once

#include <cstdint>
#include <vector>

namespace roamlets::saver {

// What the palette is computed from: the format's colour depth and the bit
// count and shift of each channel, as the pixel format's description gives them.
struct ChannelLayout {
  std::uint8_t color_bits = 0;
  std::uint8_t red_bits = 0;
  std::uint8_t red_shift = 0;
  std::uint8_t green_bits = 0;
  std::uint8_t green_shift = 0;
  std::uint8_t blue_bits = 0;
  std::uint8_t blue_shift = 0;
};

struct PaletteEntry {
  std::uint8_t red = 0;
  std::uint8_t green = 0;
  std::uint8_t blue = 0;
  std::uint8_t flags = 0;
};

// Palettes exist only for formats of at most 8 bits per pixel; a deeper
// format gets none (a logical palette could not count its entries anyway).
inline constexpr std::uint8_t kMaxPaletteBits = 8;

// 2^color_bits entries; entry i holds, per channel with b bits at shift s,
// ((i >> s) & mask) * 255 / mask truncated, where mask = 2^b - 1 kept to 8
// bits; a channel without bits is 0 throughout. Empty for formats deeper than
// kMaxPaletteBits.
std::vector<PaletteEntry> palette_entries(const ChannelLayout& layout);

}  // namespace roamlets::saver
