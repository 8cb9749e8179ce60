#include "host/close_rules.h"

#include <algorithm>
#include <cstdint>
#include <cstdlib>

#include "host/host_state.h"
#include "host/messages.h"
#include "host/password_hooks.h"

namespace roamlets::host {
namespace {

// |dx| + |dy| from the cursor origin, as an unsigned 32-bit number; a
// distance beyond that range counts as the largest one rather than wrapping.
std::uint32_t movement(const Point& from, const Point& to) {
  const std::int64_t dx = std::llabs(std::int64_t{to.x} - from.x);
  const std::int64_t dy = std::llabs(std::int64_t{to.y} - from.y);
  return static_cast<std::uint32_t>(std::min<std::int64_t>(dx + dy, UINT32_MAX));
}

}  // namespace

bool apply_close_triggers(HostState& s, InputPlatform& p, Window target, const Message& message,
                          LResult& result) {
  const auto request_close = [&] { p.post_message({target, kWmClose, 0, 0}); };

  switch (message.id) {
    case kWmShowWindow:
      if (message.wparam != 0) p.hide_cursor();
      break;
    case kWmActivateApp:
      if (message.wparam == 0) request_close();
      break;
    case kWmSetCursor:
      p.hide_cursor();
      result = 1;
      return true;
    case kWmPower:
      if (message.wparam == kPowerCriticalResume) request_close();
      break;
    case kWmKeyDown:
    case kWmSysKeyDown:
    case kWmLButtonDown:
    case kWmRButtonDown:
    case kWmMButtonDown:
    case kWmPowerBroadcast:
      request_close();
      break;
    case kWmMouseMove: {
      const Point now = p.cursor_pos();
      if (movement(s.cursor_origin, now) > s.mouse_threshold) {
        request_close();
        s.cursor_origin = now;
      }
      break;
    }
    default:
      break;
  }
  return false;
}

namespace {

// The default handling at the end of the rules: the AutoPlay query closes the
// saver in every state; everything else goes to the platform.
LResult finish(Host& host, Window target, const Message& message) {
  const HostState& s = host.state;
  if (s.autoplay_message != 0 && message.id == s.autoplay_message) {
    host.platform.post_message({target, kWmClose, 0, 0});
    return s.verify_password != 0 ? 1 : 0;
  }
  return host.platform.default_window_proc(message);
}

}  // namespace

LResult default_saver_proc(Host& host, const Message& message) {
  HostState& s = host.state;
  Platform& p = host.platform;
  const Window window = message.window;
  if (s.in_preview != 0 || s.closing != 0) return finish(host, window, message);

  if (message.id == kWmClose) {
    if (s.on_win9x == 0 || verify_close(host, window) != 0) return finish(host, window, message);
    s.cursor_origin = p.cursor_pos();
    return 0;
  }
  if (message.id == kWmApp) {
    if (s.on_win9x == 0) return finish(host, window, message);
    return s.verify_password != 0 ? p.call_verify_password(s.verify_password, window) : 1;
  }
  if (s.verifying == 0) {
    LResult result = 0;
    if (apply_close_triggers(s, p, window, message, result)) return result;
  }
  return finish(host, window, message);
}

LResult scene_input_proc(Host& host, const Message& message) {
  const HostState& s = host.state;
  if (s.in_preview == 0 && s.closing == 0 && s.verifying == 0 && s.saver_window != 0) {
    LResult result = 0;
    if (apply_close_triggers(host.state, host.platform, s.saver_window, message, result)) return result;
  }
  return host.platform.default_window_proc(message);
}

}  // namespace roamlets::host
