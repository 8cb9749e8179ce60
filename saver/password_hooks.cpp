#include "saver/password_hooks.h"

#include "saver/host_state.h"
#include "saver/messages.h"

namespace roamlets::saver {
namespace {

constexpr std::uint32_t kNoPrompt = 0xFFFFFFFFu;
constexpr std::uint32_t kPromptGuardMs = 200;

// A module of the system directory, by full path; none when that directory
// is unknown, since a bare name would search the program's own folder first.
Module load_system_module(Host& host, const char* name) {
  const std::string directory = host.platform.system_directory();
  if (directory.empty()) return 0;
  return host.platform.load_library(system_module_path(directory, name));
}

}  // namespace

std::string system_module_path(const std::string& directory, const char* name) {
  std::string path = directory;
  if (!path.empty() && path.back() != '\\' && path.back() != '/') path += '\\';
  return path + name;
}

void load_password_provider(Host& host) {
  HostState& s = host.state;
  if (s.on_win9x == 0) return;
  if (s.password_module != 0) unload_password_provider(host);

  std::uint32_t use_password = 0;
  if (!host.platform.read_desktop_value("ScreenSaveUsePassword", use_password) || use_password == 0) return;

  s.password_module = load_system_module(host, kPasswordProviderName);
  if (s.password_module == 0) return;
  s.verify_password = host.platform.find_entry(s.password_module, "VerifyScreenSavePwd");
  if (s.verify_password != 0) {
    set_saver_running(host, true);
  } else {
    unload_password_provider(host);
  }
}

void unload_password_provider(Host& host) {
  HostState& s = host.state;
  if (s.on_win9x == 0 || s.password_module == 0) return;
  host.platform.free_library(s.password_module);
  s.password_module = 0;
  if (s.verify_password != 0) {
    s.verify_password = 0;
    set_saver_running(host, false);
  }
}

void set_saver_running(Host& host, bool on) {
  if (host.state.on_win9x == 1) host.platform.set_screen_saver_running(on);
}

std::uint32_t verify_close(Host& host, Window window) {
  HostState& s = host.state;
  if (s.verifying != 0 || s.closing != 0) return 0;
  if (s.verify_password == 0) {
    s.closing = 1;
    return 1;
  }
  const std::uint32_t now = host.platform.tick_count();
  if (s.last_prompt_tick != kNoPrompt && now - s.last_prompt_tick < kPromptGuardMs) return 0;

  s.verifying = 1;
  host.platform.remove_one_timer_message(window);
  host.platform.remove_one_timer_message(window);
  const auto verdict = static_cast<std::uint32_t>(host.platform.send_message({window, kWmApp, 0, 0}));
  s.closing = verdict;
  s.verifying = 0;
  if (verdict == 0) host.platform.hide_cursor();
  s.last_prompt_tick = host.platform.tick_count();
  return verdict;
}

void change_password(Host& host, Window owner) {
  const Module module = load_system_module(host, kPasswordChangeLibraryName);
  if (module == 0) return;
  const Entry entry = host.platform.find_entry(module, "PwdChangePasswordA");
  if (entry != 0) host.platform.call_change_password(entry, "SCRSAVE", owner);
  host.platform.free_library(module);
}

}  // namespace roamlets::saver
