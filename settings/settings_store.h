// The five operations the settings need of a persistent store. The key path is
// fixed when the store is made; one key is open at a time.
#pragma once

#include <cstdint>

namespace roamlets {

class SettingsStore {
 public:
  virtual ~SettingsStore() = default;

  // Opens the existing key for reading; fails when it is absent or unreadable
  // and never creates it.
  virtual bool open_for_reading() = 0;

  // Reads a named value of the open key. Succeeds, and sets `value`, only when
  // the value exists and its data is exactly four bytes (taken little-endian);
  // the value's type is not looked at.
  virtual bool read_value(const char* name, std::int32_t& value) = 0;

  // Creates the key, with any missing parent, or opens the existing one.
  virtual bool open_for_writing() = 0;

  // Creates or replaces a named 32-bit value of the open key.
  virtual bool write_value(const char* name, std::int32_t value) = 0;

  // Releases the open key. A store that buffers writes commits them here.
  virtual void close() = 0;
};

}  // namespace roamlets
