#include "settings/win32_registry_store.h"

#include <memory>

#include "settings/dword_bytes.h"
#include "settings/settings.h"
#include "settings/user_store.h"

namespace roamlets {

RegistryStore::~RegistryStore() { close(); }

bool RegistryStore::open_for_reading() {
  close();
  HKEY key = nullptr;
  if (RegOpenKeyExA(HKEY_CURRENT_USER, kSettingsKeyPath, 0, KEY_READ, &key) != ERROR_SUCCESS) {
    return false;
  }
  key_ = key;
  return true;
}

bool RegistryStore::read_value(const char* name, std::int32_t& value) {
  if (key_ == nullptr) return false;
  // Data of any other size than four bytes, longer or shorter, counts as absent;
  // the type is not looked at.
  BYTE data[4] = {};
  DWORD size = sizeof data;
  DWORD type = 0;
  if (RegQueryValueExA(key_, name, nullptr, &type, data, &size) != ERROR_SUCCESS || size != 4) {
    return false;
  }
  value = dword_value(data);
  return true;
}

bool RegistryStore::open_for_writing() {
  close();
  HKEY key = nullptr;
  if (RegCreateKeyExA(HKEY_CURRENT_USER, kSettingsKeyPath, 0, nullptr, REG_OPTION_NON_VOLATILE, KEY_WRITE,
                      nullptr, &key, nullptr) != ERROR_SUCCESS) {
    return false;
  }
  key_ = key;
  return true;
}

bool RegistryStore::write_value(const char* name, std::int32_t value) {
  if (key_ == nullptr) return false;
  const auto data = dword_bytes(value);
  return RegSetValueExA(key_, name, 0, REG_DWORD, data.data(), static_cast<DWORD>(data.size())) ==
         ERROR_SUCCESS;
}

void RegistryStore::close() {
  if (key_ == nullptr) return;
  RegCloseKey(key_);
  key_ = nullptr;
}

std::unique_ptr<SettingsStore> make_user_settings_store() { return std::make_unique<RegistryStore>(); }

}  // namespace roamlets
