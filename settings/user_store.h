// The current user's persistent settings store on this platform: the registry
// key under HKEY_CURRENT_USER on Windows, a per-user file elsewhere.
#pragma once

#include <memory>

#include "settings/settings_store.h"

namespace roamlets {

std::unique_ptr<SettingsStore> make_user_settings_store();

}  // namespace roamlets
