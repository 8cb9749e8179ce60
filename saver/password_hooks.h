// The host's hooks into the system's screen-saver password on Windows
// 95/98/Me: the password provider, the "screen saver running" state, the
// verification of a close request, and the password change. On every other
// platform family they do nothing.
#pragma once

#include <cstdint>

#include "saver/platform.h"

namespace roamlets::saver {

// The password provider and the password-change library, loaded from the
// system directory by full path, never by bare name, so that a copy in the
// program's folder or the current directory cannot stand in for them.
inline constexpr const char* kPasswordProviderName = "PASSWORD.CPL";
inline constexpr const char* kPasswordChangeLibraryName = "MPR.DLL";

// Loads the provider for a full-screen run when the user's desktop settings
// ask for a password; a provider already loaded is unloaded first.
void load_password_provider(Host& host);

// Frees the provider, and clears the running state when its entry was found.
void unload_password_provider(Host& host);

// Tells the system whether a screen saver runs (Windows 95/98/Me only).
void set_saver_running(Host& host, bool on);

// Decides a close request of the saver window: non-zero grants it. Prompts
// through the provider, except within 200 ms of the end of the last prompt or
// while one is open, which is refused without a prompt.
std::uint32_t verify_close(Host& host, Window window);

// Lets the user change the screen-saver password, owned by `owner`.
void change_password(Host& host, Window owner);

// `directory` + "\" + `name`, without doubling a separator already there.
std::string system_module_path(const std::string& directory, const char* name);

}  // namespace roamlets::saver
