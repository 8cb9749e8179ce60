// The settings store the fuzz targets start from, read from the front of the
// input, and what load_settings must make of it.
//
// Layout, byte by byte (an input that ends early leaves the rest absent):
//   flags            bit 0: the key exists
//   8 x value        VIEW_MODE, NUM_ROAMLETS, NUM_CHASERS, DENSITY, LINE_WIDTH,
//                    STAR_SIZE, STAR_SMOOTH, FOG_ENABLE, each as
//                    size (0xFF: no value) and that many data bytes
//   count            count % 4 unknown values follow, each as
//                    name size, name bytes, data size, data bytes
// so "04 f4 01 00 00" stores 500 as a setting reads it, and any other size
// stores data the settings must not read.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>

#include "settings/memory_store.h"
#include "settings/settings.h"

namespace roamlets::fuzz {

// Reads the input front to back; past its end every byte reads as `missing`.
class ByteReader {
 public:
  ByteReader(const std::uint8_t* data, std::size_t size) : data_(data), size_(size) {}

  bool done() const { return at_ == size_; }
  std::uint8_t byte(std::uint8_t missing = 0) { return at_ < size_ ? data_[at_++] : missing; }
  // Up to `count` bytes, fewer at the end of the input.
  std::string bytes(std::size_t count);
  // Four bytes little-endian, missing ones read as 0.
  std::uint32_t u32();

 private:
  const std::uint8_t* data_;
  std::size_t size_;
  std::size_t at_ = 0;
};

// Fills an empty store from the reader as laid out above.
void read_stored_record(ByteReader& in, MemoryStore& store);

// The settings load_settings gives for the store's contents: a value counts
// only when the key exists and its data is exactly four bytes, taken
// little-endian; every other field keeps its default.
Settings expected_load(const MemoryStore& store);

// Whether the key exists and holds all eight values, each of four bytes.
bool holds_all_settings(const MemoryStore& store);

}  // namespace roamlets::fuzz
