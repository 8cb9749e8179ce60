#include "saver/saver_window.h"

#include "saver/host_state.h"
#include "saver/messages.h"
#include "saver/password_hooks.h"

namespace roamlets::saver {
namespace {

void detach_input_method(Host& host, Window window) {
  HostState& s = host.state;
  s.ime_module = host.platform.loaded_module("IMM32.DLL");
  if (s.ime_module == 0) return;
  s.ime_associate = host.platform.find_entry(s.ime_module, "ImmAssociateContext");
  if (s.ime_associate == 0) return;
  s.saved_ime_context = host.platform.call_ime_associate(s.ime_associate, window, 0);
}

void reattach_input_method(Host& host, Window window) {
  const HostState& s = host.state;
  if (s.ime_module != 0 && s.ime_associate != 0 && s.saved_ime_context != 0) {
    host.platform.call_ime_associate(s.ime_associate, window, s.saved_ime_context);
  }
}

bool is_swallowed_system_command(WParam command) {
  return command == kScNextWindow || command == kScPrevWindow || command == kScScreenSave;
}

}  // namespace

int run_saver(Host& host, Window parent) {
  HostState& s = host.state;
  Platform& p = host.platform;
  SaverWindowLayout layout;
  if (parent != 0) {
    const Rect client = p.client_rect(parent);
    layout.bounds = {0, 0, client.right, client.bottom};
    layout.style = kPreviewStyle;
    layout.title = kPreviewTitle;
    layout.parent = parent;
    s.in_preview = 1;
  } else {
    const Rect screen = p.screen_clip_box();
    layout.bounds = {screen.left, screen.top, screen.right - screen.left, screen.bottom - screen.top};
    layout.style = kFullScreenStyle;
    layout.ex_style = kFullScreenExStyle;
    layout.title = kFullScreenTitle;
    const Window running = p.find_window(kSaverClassName, kFullScreenTitle);
    if (running != 0 && p.is_window(running)) {
      p.set_foreground_window(running);
      return 0;
    }
    load_password_provider(host);
  }

  s.autoplay_message = s.on_win9x == 1 ? p.register_window_message("QueryCancelAutoPlay") : 0;

  int result = 0;
  if (p.register_saver_class(s.instance)) {
    s.saver_window = p.create_saver_window(s.instance, layout);
    if (s.saver_window != 0) {
      if (parent == 0) p.set_foreground_window(s.saver_window);
      result = p.message_loop();
    }
  }
  unload_password_provider(host);
  return result;
}

LResult saver_window_proc(Host& host, SaverProcedure& next, const Message& message) {
  HostState& s = host.state;
  Platform& p = host.platform;
  switch (message.id) {
    case kWmCreate:
      detach_input_method(host, message.window);
      s.cursor_origin = p.cursor_pos();
      if (s.in_preview == 0) p.hide_cursor();
      return next.handle(message);
    case kWmDestroy:
      reattach_input_method(host, message.window);
      p.post_quit_message(0);
      return next.handle(message);
    case kWmSetText:
      return 0;
    case kWmPaint:
      if (s.closing != 0) return p.default_window_proc(message);
      if (s.in_preview == 0) p.hide_cursor();
      return next.handle(message);
    case kWmHelp:
    case kWmContextMenu: {
      if (s.in_preview == 0) return next.handle(message);
      const Window parent = p.parent_of(message.window);
      if (parent != 0 && p.is_window(parent)) {
        p.post_message({parent, message.id, static_cast<WParam>(parent), message.lparam});
      }
      return 1;
    }
    case kWmSysCommand:
      if (s.in_preview == 0 && is_swallowed_system_command(message.wparam)) return 0;
      return next.handle(message);
    case kWmTimer:
      if (s.closing != 0) return 0;
      p.yield_processor();
      return next.handle(message);
    case kWmKeyDown:
    case kWmSysKeyDown:
    case kWmMouseMove:
    case kWmLButtonDown:
    case kWmRButtonDown:
    case kWmMButtonDown:
      if (s.closing != 0) return p.default_window_proc(message);
      return next.handle(message);
    default:
      return next.handle(message);
  }
}

}  // namespace roamlets::saver
