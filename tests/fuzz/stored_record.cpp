#include "tests/fuzz/stored_record.h"

#include <algorithm>

namespace roamlets::fuzz {
namespace {

constexpr std::uint8_t kNoValue = 0xFF;

struct Name {
  const char* text;
  std::int32_t Settings::*field;
};

constexpr Name kNames[] = {
    {"VIEW_MODE", &Settings::VIEW_MODE},     {"NUM_ROAMLETS", &Settings::NUM_ROAMLETS},
    {"NUM_CHASERS", &Settings::NUM_CHASERS}, {"DENSITY", &Settings::DENSITY},
    {"LINE_WIDTH", &Settings::LINE_WIDTH},   {"STAR_SIZE", &Settings::STAR_SIZE},
    {"STAR_SMOOTH", &Settings::STAR_SMOOTH}, {"FOG_ENABLE", &Settings::FOG_ENABLE},
};

MemoryStore::Bytes as_bytes(const std::string& text) { return MemoryStore::Bytes(text.begin(), text.end()); }

}  // namespace

std::string ByteReader::bytes(std::size_t count) {
  const std::size_t taken = std::min(count, size_ - at_);
  std::string result(reinterpret_cast<const char*>(data_ + at_), taken);
  at_ += taken;
  return result;
}

std::uint32_t ByteReader::u32() {
  std::uint32_t value = 0;
  for (int shift = 0; shift < 32; shift += 8) value |= std::uint32_t{byte()} << shift;
  return value;
}

void read_stored_record(ByteReader& in, MemoryStore& store) {
  store.key_exists = (in.byte() & 1u) != 0;
  for (const Name& name : kNames) {
    const std::uint8_t size = in.byte(kNoValue);
    if (size != kNoValue) store.values[name.text] = as_bytes(in.bytes(size));
  }
  for (int unknown = in.byte() % 4; unknown > 0; --unknown) {
    const std::string name = in.bytes(in.byte());
    store.values[name] = as_bytes(in.bytes(in.byte()));
  }
}

Settings expected_load(const MemoryStore& store) {
  Settings settings;
  if (!store.key_exists) return settings;
  for (const Name& name : kNames) {
    const auto found = store.values.find(name.text);
    if (found == store.values.end() || found->second.size() != 4) continue;
    const MemoryStore::Bytes& b = found->second;
    settings.*name.field = static_cast<std::int32_t>(std::uint32_t{b[0]} | std::uint32_t{b[1]} << 8 |
                                                     std::uint32_t{b[2]} << 16 | std::uint32_t{b[3]} << 24);
  }
  return settings;
}

bool holds_all_settings(const MemoryStore& store) {
  if (!store.key_exists) return false;
  for (const Name& name : kNames) {
    const auto found = store.values.find(name.text);
    if (found == store.values.end() || found->second.size() != 4) return false;
  }
  return true;
}

}  // namespace roamlets::fuzz
