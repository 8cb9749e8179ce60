// Windows of the driver itself: owners for dialogs and parents for previews.
// Each records the WM_CONTEXTMENU messages it receives, so the harness can
// check what a preview hands on to its parent.
#include <map>
#include <vector>

#include "tests/e2e/wine/driver/commands.h"

namespace driver {
namespace {

constexpr char kClassName[] = "RoamletsTestWindow";

struct Received {
  UINT message;
  WPARAM wparam;
  LPARAM lparam;
};

std::map<HWND, std::vector<Received>>& received() {
  static std::map<HWND, std::vector<Received>> log;
  return log;
}

LRESULT CALLBACK test_window_proc(HWND window, UINT message, WPARAM wparam, LPARAM lparam) {
  if (message == WM_CONTEXTMENU) received()[window].push_back(Received{message, wparam, lparam});
  return DefWindowProcA(window, message, wparam, lparam);
}

void register_class() {
  static bool registered = false;
  if (registered) return;
  WNDCLASSA window_class = {};
  window_class.lpfnWndProc = test_window_proc;
  window_class.hInstance = GetModuleHandleA(nullptr);
  window_class.hCursor = LoadCursor(nullptr, IDC_ARROW);
  window_class.hbrBackground = static_cast<HBRUSH>(GetStockObject(GRAY_BRUSH));
  window_class.lpszClassName = kClassName;
  if (!RegisterClassA(&window_class)) throw Failure("RegisterClassA failed");
  registered = true;
}

// make-window <client width> <client height> <x> <y> [overlay]: a visible
// top-level window titled "Roamlets Test <n>" whose client area has the given
// size. An overlay is a frameless topmost window shown without activation, so
// it can lie over a full-screen saver without ending it.
Reply make_window(const Args& args) {
  register_class();
  static unsigned made = 0;
  const std::string title = "Roamlets Test " + std::to_string(++made);
  const bool overlay = args.count() > 4 && args.text(4) == "overlay";
  RECT frame = {0, 0, static_cast<LONG>(args.number(0)), static_cast<LONG>(args.number(1))};
  const DWORD style = overlay ? WS_POPUP : WS_OVERLAPPEDWINDOW | WS_VISIBLE | WS_CLIPCHILDREN;
  const DWORD extended = overlay ? WS_EX_TOPMOST | WS_EX_NOACTIVATE | WS_EX_TOOLWINDOW : 0;
  AdjustWindowRectEx(&frame, style, FALSE, extended);
  const HWND window =
      CreateWindowExA(extended, kClassName, title.c_str(), style, static_cast<int>(args.signed_number(2)),
                      static_cast<int>(args.signed_number(3)), frame.right - frame.left,
                      frame.bottom - frame.top, nullptr, nullptr, GetModuleHandleA(nullptr), nullptr);
  if (!window) throw Failure("CreateWindowExA failed with error " + std::to_string(GetLastError()));
  if (overlay) ShowWindow(window, SW_SHOWNOACTIVATE);
  pump_messages();
  return Reply()
      .add("hwnd", static_cast<std::uint64_t>(reinterpret_cast<std::uintptr_t>(window)))
      .add("title", title);
}

}  // namespace

void add_test_window_commands(CommandTable& table) {
  table.add("make-window", make_window);
  // messages <hwnd>: the WM_CONTEXTMENU messages the window has received, in order.
  table.add("messages", [](const Args& args) {
    const std::vector<Received>& log = received()[window_arg(args, 0)];
    Reply reply;
    reply.add("count", static_cast<std::uint64_t>(log.size()));
    for (std::size_t i = 0; i < log.size(); ++i) {
      const std::string key = "m" + std::to_string(i) + ".";
      reply.add(key + "message", log[i].message)
          .add(key + "wparam", static_cast<std::uint64_t>(log[i].wparam))
          .add(key + "lparam", static_cast<std::int64_t>(log[i].lparam));
    }
    return reply;
  });
  table.add("destroy", [](const Args& args) {
    const BOOL destroyed = DestroyWindow(window_arg(args, 0));
    pump_messages();
    return Reply().add("destroyed", destroyed ? 1 : 0);
  });
  // raise <hwnd>: hidden and shown again on top of the topmost windows,
  // without activation. Wine leaves the X stacking alone when the window is
  // already on top of its own order, while X may have the saver over it;
  // showing it anew maps it on top on both sides.
  table.add("raise", [](const Args& args) {
    const HWND window = window_arg(args, 0);
    ShowWindow(window, SW_HIDE);
    const BOOL done = SetWindowPos(window, HWND_TOPMOST, 0, 0, 0, 0,
                                   SWP_NOMOVE | SWP_NOSIZE | SWP_NOACTIVATE | SWP_SHOWWINDOW);
    pump_messages();
    return Reply().add("raised", done ? 1 : 0);
  });
  table.add("activate", [](const Args& args) {
    const BOOL done = SetForegroundWindow(window_arg(args, 0));
    pump_messages();
    return Reply().add("activated", done ? 1 : 0);
  });
}

}  // namespace driver
