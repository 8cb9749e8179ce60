#include "settings/memory_store.h"

#include "settings/dword_bytes.h"

namespace roamlets {

void MemoryStore::put(const std::string& name, std::int32_t value) {
  key_exists = true;
  const auto bytes = dword_bytes(value);
  values[name] = Bytes(bytes.begin(), bytes.end());
}

std::optional<std::int32_t> MemoryStore::get(const std::string& name) const {
  const auto found = values.find(name);
  if (!key_exists || found == values.end() || found->second.size() != 4) return std::nullopt;
  return dword_value(found->second.data());
}

bool MemoryStore::open_for_reading() {
  log.push_back("open_read");
  if (fail_open_for_reading || !key_exists) return false;
  mode_ = Mode::Reading;
  return true;
}

bool MemoryStore::read_value(const char* name, std::int32_t& value) {
  log.push_back(std::string("read ") + name);
  if (mode_ != Mode::Reading) return false;
  const std::optional<std::int32_t> stored = get(name);
  if (!stored) return false;
  value = *stored;
  return true;
}

bool MemoryStore::open_for_writing() {
  log.push_back("open_write");
  if (fail_open_for_writing) return false;
  key_exists = true;
  mode_ = Mode::Writing;
  return true;
}

bool MemoryStore::write_value(const char* name, std::int32_t value) {
  log.push_back(std::string("write ") + name);
  if (mode_ != Mode::Writing || failing_writes.count(name) != 0) return false;
  put(name, value);
  return true;
}

void MemoryStore::close() {
  log.push_back("close");
  mode_ = Mode::Closed;
}

}  // namespace roamlets
