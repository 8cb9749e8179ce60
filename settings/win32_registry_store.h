// The settings store on Windows: the settings key under HKEY_CURRENT_USER,
// through the ANSI registry functions.
#pragma once

#include <windows.h>

#include <cstdint>

#include "settings/settings_store.h"

namespace roamlets {

class RegistryStore final : public SettingsStore {
 public:
  RegistryStore() = default;
  RegistryStore(const RegistryStore&) = delete;
  RegistryStore& operator=(const RegistryStore&) = delete;
  ~RegistryStore() override;

  bool open_for_reading() override;
  bool read_value(const char* name, std::int32_t& value) override;
  bool open_for_writing() override;
  bool write_value(const char* name, std::int32_t value) override;
  void close() override;

 private:
  HKEY key_ = nullptr;
};

}  // namespace roamlets
