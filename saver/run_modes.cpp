#include "saver/run_modes.h"

#include "saver/host_state.h"
#include "saver/password_hooks.h"
#include "saver/saver_window.h"

namespace roamlets::saver {
namespace {

constexpr unsigned char kQuote = 0x22;
constexpr unsigned char kBlank = 0x20;

unsigned char byte_at(const char* text) { return static_cast<unsigned char>(*text); }

const char* skip_spaces(const char* text) {
  while (*text == ' ') ++text;
  return text;
}

// The handle in `text` when it names a live window, else 0.
Window live_window(Host& host, const char* text) {
  const Window handle = parse_window_handle(text);
  return handle != 0 && host.platform.is_window(handle) ? handle : 0;
}

int run_configuration(Host& host, Window owner) {
  // No dialog classes of our own to register before the dialog.
  return host.platform.run_configuration_dialog(host.state.instance, owner);
}

int run_mode(Host& host, const RunMode& mode) {
  Platform& p = host.platform;
  switch (mode.kind) {
    case RunKind::Run:
      return run_saver(host, 0);
    case RunKind::Preview: {
      const Window parent = live_window(host, mode.text);
      return parent != 0 ? run_saver(host, parent) : -1;
    }
    case RunKind::Configure: {
      if (!mode.from_letter) return run_configuration(host, 0);
      const bool usable = mode.owner != 0 && p.is_window(mode.owner);
      return run_configuration(host, usable ? mode.owner : p.foreground_window());
    }
    case RunKind::ChangePassword: {
      const Window owner = live_window(host, mode.text);
      change_password(host, owner != 0 ? owner : p.foreground_window());
      return 0;
    }
    case RunKind::Reject:
      break;
  }
  return -1;
}

}  // namespace

const char* command_tail(Platform& platform, const char* line) {
  const char* at = line;
  if (byte_at(at) == kQuote) {
    do {
      at = platform.next_char(at);
    } while (*at != '\0' && byte_at(at) != kQuote);
    if (byte_at(at) == kQuote) ++at;
  } else {
    while (byte_at(at) > kBlank) at = platform.next_char(at);
  }
  while (*at != '\0' && byte_at(at) <= kBlank) at = platform.next_char(at);
  return at;
}

Window parse_window_handle(const char* text) {
  std::uint32_t value = 0;
  for (; *text >= '0' && *text <= '9'; ++text) value = value * 10u + static_cast<std::uint32_t>(*text - '0');
  return value;
}

RunMode scan_command_tail(const char* tail, bool on_win9x) {
  const char* at = tail;
  for (;; ++at) {
    switch (*at) {
      case '\0':
        return {RunKind::Configure, at, false, 0};
      case ' ':
      case '-':
      case '/':
        continue;
      case 'S':
      case 's':
        return {RunKind::Run, at + 1, false, 0};
      case 'P':
      case 'p':
      case 'L':
      case 'l':
        return {RunKind::Preview, skip_spaces(at + 1), false, 0};
      case 'C':
      case 'c': {
        const char* next = at + 1;
        const Window owner = *next == ':' ? parse_window_handle(next + 1) : 0;
        return {RunKind::Configure, next, true, owner};
      }
      case 'A':
      case 'a':
        if (!on_win9x) return {RunKind::Reject, at, false, 0};
        return {RunKind::ChangePassword, skip_spaces(at + 1), false, 0};
      default:
        return {RunKind::Reject, at, false, 0};
    }
  }
}

int saver_main(Host& host, Instance instance, const char* tail) {
  HostState& s = host.state;
  s.instance = instance;
  s.on_win9x = host.platform.version_is_win9x() ? 1 : 0;
  // The guard outlives this call (it stays in force until the process has
  // ended): it keeps a copy of `host`, whose record and platform last as long,
  // not a reference to the caller's Host.
  host.platform.install_fault_guard([host]() mutable { set_saver_running(host, false); });
  return run_mode(host, scan_command_tail(tail, s.on_win9x == 1));
}

}  // namespace roamlets::saver
