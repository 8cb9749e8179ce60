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

// The input a window message stands for, or nothing when the close rules
// leave the message alone. A mouse movement reads the cursor position, never
// the message's own coordinates.
std::optional<InputEvent> input_of(Platform& p, const Message& message) {
  using Kind = InputEvent::Kind;
  switch (message.id) {
    case kWmShowWindow:
      if (message.wparam != 0) return InputEvent{Kind::WindowShown, {}};
      break;
    case kWmActivateApp:
      if (message.wparam == 0) return InputEvent{Kind::Deactivated, {}};
      break;
    case kWmSetCursor:
      return InputEvent{Kind::CursorQuery, {}};
    case kWmPower:
      if (message.wparam == kPowerCriticalResume) return InputEvent{Kind::PowerEvent, {}};
      break;
    case kWmPowerBroadcast:
      return InputEvent{Kind::PowerEvent, {}};
    case kWmKeyDown:
    case kWmSysKeyDown:
      return InputEvent{Kind::KeyDown, {}};
    case kWmLButtonDown:
    case kWmRButtonDown:
    case kWmMButtonDown:
      return InputEvent{Kind::ButtonDown, {}};
    case kWmMouseMove:
      return InputEvent{Kind::PointerMoved, p.cursor_pos()};
    default:
      break;
  }
  return std::nullopt;
}

// The input on which the triggers close; activation and power messages are
// sent, not queued, so they are handled (and post their close) while the
// queue is looked at.
constexpr std::uint32_t kClosingInput[] = {kWmKeyDown,     kWmSysKeyDown,  kWmLButtonDown,
                                           kWmRButtonDown, kWmMButtonDown, kWmMouseMove};

}  // namespace

CloseAction judge_input(HostState& s, const InputEvent& input) {
  using Kind = InputEvent::Kind;
  CloseAction action;
  switch (input.kind) {
    case Kind::WindowShown:
      action.hide_cursor = true;
      break;
    case Kind::CursorQuery:
      action.hide_cursor = true;
      action.answer = 1;
      break;
    case Kind::Deactivated:
    case Kind::PowerEvent:
    case Kind::KeyDown:
    case Kind::ButtonDown:
      action.close = true;
      break;
    case Kind::PointerMoved:
      if (movement(s.cursor_origin, input.cursor) > s.mouse_threshold) {
        action.close = true;
        s.cursor_origin = input.cursor;
      }
      break;
  }
  return action;
}

bool would_close(const HostState& state, const InputEvent& input) {
  HostState copy = state;
  return judge_input(copy, input).close;
}

bool close_pending(Host& host) {
  const HostState& s = host.state;
  Platform& p = host.platform;
  if (s.closing != 0) return true;
  if (s.in_preview == 0 && s.verifying == 0) {
    for (const std::uint32_t id : kClosingInput) {
      const std::optional<Message> waiting = p.peek_message(id);
      if (!waiting) continue;
      const std::optional<InputEvent> input = input_of(p, *waiting);
      if (input && would_close(s, *input)) return true;
    }
  }
  // Last, so that a close posted while the queue was looked at counts too.
  return p.peek_message(kWmClose).has_value();
}

namespace {

// Judges a message by the close rules and carries out what they decide: a
// close request is posted to `target`. The answer when the rules answer the
// message; nothing leaves it to the default handling.
std::optional<LResult> apply_close_rules(Host& host, Window target, const Message& message) {
  Platform& p = host.platform;
  const std::optional<InputEvent> input = input_of(p, message);
  if (!input) return std::nullopt;
  const CloseAction action = judge_input(host.state, *input);
  if (action.hide_cursor) p.hide_cursor();
  if (action.close) p.post_message({target, kWmClose, 0, 0});
  return action.answer;
}

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
    if (const std::optional<LResult> answer = apply_close_rules(host, window, message)) return *answer;
  }
  return finish(host, window, message);
}

LResult scene_input_proc(Host& host, const Message& message) {
  const HostState& s = host.state;
  if (s.in_preview == 0 && s.closing == 0 && s.verifying == 0 && s.saver_window != 0) {
    if (const std::optional<LResult> answer = apply_close_rules(host, s.saver_window, message))
      return *answer;
  }
  return host.platform.default_window_proc(message);
}

}  // namespace roamlets::saver
