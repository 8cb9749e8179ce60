// A settings store held in memory, for tests and fuzzing. Values keep raw
// data bytes of any size, so a test can plant data a real store could hold but
// the settings cannot read; failures can be injected, and every operation is
// logged in the order performed.
#pragma once

#include <cstdint>
#include <map>
#include <optional>
#include <set>
#include <string>
#include <vector>

#include "settings/settings_store.h"

namespace roamlets {

class MemoryStore final : public SettingsStore {
 public:
  using Bytes = std::vector<std::uint8_t>;

  // The contents: whether the key exists, and each value's data bytes.
  bool key_exists = false;
  std::map<std::string, Bytes> values;

  // Injected failures.
  bool fail_open_for_reading = false;
  bool fail_open_for_writing = false;
  std::set<std::string> failing_writes;

  // "open_read", "read NAME", "open_write", "write NAME" and "close", one
  // entry per call, whether or not it succeeded.
  std::vector<std::string> log;

  // Creates the key if needed and stores `value` as four little-endian bytes.
  void put(const std::string& name, std::int32_t value);

  // The value as the settings would read it: present only when four bytes.
  std::optional<std::int32_t> get(const std::string& name) const;

  bool open_for_reading() override;
  bool read_value(const char* name, std::int32_t& value) override;
  bool open_for_writing() override;
  bool write_value(const char* name, std::int32_t value) override;
  void close() override;

 private:
  enum class Mode { Closed, Reading, Writing };
  Mode mode_ = Mode::Closed;
};

}  // namespace roamlets
