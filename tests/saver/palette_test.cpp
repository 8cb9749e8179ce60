// The logical palette of formats that need one.
#include "saver/palette.h"

#include <gtest/gtest.h>

#include <cstddef>
#include <initializer_list>

namespace roamlets::saver {
namespace {

TEST(PaletteEntries, Maps332FormatsToEvenlySpacedTruncatedLevels) {
  // 3 red bits at 0, 3 green bits at 3, 2 blue bits at 6.
  const auto entries = palette_entries({8, 3, 0, 3, 3, 2, 6});
  const std::uint8_t eighths[] = {0, 36, 72, 109, 145, 182, 218, 255};
  const std::uint8_t quarters[] = {0, 85, 170, 255};
  ASSERT_EQ(entries.size(), 256u);
  for (std::size_t i = 0; i < entries.size(); ++i) {
    EXPECT_EQ(entries[i].red, eighths[i & 7]) << i;
    EXPECT_EQ(entries[i].green, eighths[(i >> 3) & 7]) << i;
    EXPECT_EQ(entries[i].blue, quarters[i >> 6]) << i;
    EXPECT_EQ(entries[i].flags, 0) << i;
  }
  EXPECT_EQ(entries[0xC5].red, 182);
  EXPECT_EQ(entries[0xC5].green, 0);
  EXPECT_EQ(entries[0xC5].blue, 255);
}

TEST(PaletteEntries, HandlesEmptyWideAndFarShiftedChannels) {
  struct Row {
    const char* name;
    ChannelLayout layout;
    std::size_t size;
    std::size_t index;
    PaletteEntry entry;
  };
  const Row rows[] = {
      {"4-bit format", {4, 1, 0, 2, 1, 1, 3}, 16, 0xF, {255, 255, 255, 0}},
      {"4-bit format, green only", {4, 1, 0, 2, 1, 1, 3}, 16, 0x6, {0, 255, 0, 0}},
      {"4-bit format, middle green", {4, 1, 0, 2, 1, 1, 3}, 16, 0x3, {255, 85, 0, 0}},
      {"blue without bits", {8, 4, 0, 4, 4, 0, 0}, 256, 0xFF, {255, 255, 0, 0}},
      {"5-bit red", {8, 5, 0, 3, 5, 0, 0}, 256, 0x1E, {246, 0, 0, 0}},
      {"8-bit red", {8, 8, 0, 0, 0, 0, 0}, 256, 0xC5, {0xC5, 0, 0, 0}},
      {"red wider than 8 bits", {8, 12, 0, 0, 0, 0, 0}, 256, 0x7B, {0x7B, 0, 0, 0}},
      {"shift 8", {8, 3, 8, 3, 0, 2, 6}, 256, 0xFF, {0, 255, 255, 0}},
      {"shift 32", {8, 3, 32, 3, 0, 2, 6}, 256, 0xFF, {0, 255, 255, 0}},
      {"shift 40", {8, 3, 40, 3, 0, 2, 6}, 256, 0xFF, {0, 255, 255, 0}},
      {"1-bit format", {1, 1, 0, 1, 0, 1, 0}, 2, 1, {255, 255, 255, 0}},
  };
  for (const Row& row : rows) {
    const auto entries = palette_entries(row.layout);
    ASSERT_EQ(entries.size(), row.size) << row.name;
    EXPECT_EQ(entries[row.index].red, row.entry.red) << row.name;
    EXPECT_EQ(entries[row.index].green, row.entry.green) << row.name;
    EXPECT_EQ(entries[row.index].blue, row.entry.blue) << row.name;
  }
}

TEST(PaletteEntries, FormatsDeeperThan8BitsGetNone) {
  for (const std::uint8_t bits : std::initializer_list<std::uint8_t>{9, 15, 16, 24, 32}) {
    EXPECT_TRUE(palette_entries({bits, 5, 0, 6, 5, 5, 11}).empty()) << int{bits};
  }
}

}  // namespace
}  // namespace roamlets::saver
