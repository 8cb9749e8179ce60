#include "saver/close_rules.h"

#include <algorithm>
#include <cstdint>
#include <cstdlib>
#include <optional>

#include "saver/host_state.h"
#include "saver/messages.h"
#include "saver/password_hooks.h"

namespace roamlets::saver {
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

// Stands in for the platform while the triggers are only asked: notes a close
// request and does nothing else.
class TriggerProbe final : public InputPlatform {
 public:
  explicit TriggerProbe(Point cursor) : cursor_(cursor) {}
  LResult default_window_proc(const Message&) override { return 0; }
  bool post_message(const Message& message) override {
    closes = closes || message.id == kWmClose;
    return true;
  }
  Point cursor_pos() override { return cursor_; }
  void hide_cursor() override {}

  bool closes = false;

 private:
  Point cursor_;
};

// The input on which the triggers close; activation and power messages are
// sent, not queued, so they are handled (and post their close) while the
// queue is looked at.
constexpr std::uint32_t kClosingInput[] = {kWmKeyDown,     kWmSysKeyDown,  kWmLButtonDown,
                                           kWmRButtonDown, kWmMButtonDown, kWmMouseMove};

}  // namespace

bool would_close(const HostState& state, const Message& message, Point cursor) {
  HostState copy = state;
  TriggerProbe probe(cursor);
  LResult result = 0;
  apply_close_triggers(copy, probe, message.window, message, result);
  return probe.closes;
}

bool close_pending(Host& host) {
  const HostState& s = host.state;
  Platform& p = host.platform;
  if (s.closing != 0) return true;
  if (s.in_preview == 0 && s.verifying == 0) {
    for (const std::uint32_t id : kClosingInput) {
      const std::optional<Message> waiting = p.peek_message(id);
      if (waiting && would_close(s, *waiting, id == kWmMouseMove ? p.cursor_pos() : Point{})) return true;
    }
  }
  // Last, so that a close posted while the queue was looked at counts too.
  return p.peek_message(kWmClose).has_value();
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

}  // namespace roamlets::saver
