// Windows of any process: finding them, describing them, messages to them.
#include <vector>

#include "tests/e2e/wine/driver/commands.h"

namespace driver {
namespace {

std::uint64_t handle_number(HWND window) { return reinterpret_cast<std::uintptr_t>(window); }

Reply describe(HWND window) {
  Reply reply;
  if (!IsWindow(window)) return reply.add("hwnd", handle_number(window)).add("exists", 0);
  char class_name[256] = {};
  GetClassNameA(window, class_name, sizeof class_name);
  RECT frame = {};
  GetWindowRect(window, &frame);
  RECT client = {};
  GetClientRect(window, &client);
  POINT client_origin = {0, 0};
  ClientToScreen(window, &client_origin);
  DWORD pid = 0;
  GetWindowThreadProcessId(window, &pid);
  HWND parent = GetAncestor(window, GA_PARENT);
  if (parent == GetDesktopWindow()) parent = nullptr;
  return reply.add("hwnd", handle_number(window))
      .add("exists", 1)
      .add("class", class_name)
      .add("title", window_text(window))
      .add("x", frame.left)
      .add("y", frame.top)
      .add("width", frame.right - frame.left)
      .add("height", frame.bottom - frame.top)
      .add("client_x", client_origin.x)
      .add("client_y", client_origin.y)
      .add("client_width", client.right)
      .add("client_height", client.bottom)
      .add("style", static_cast<std::uint64_t>(static_cast<DWORD>(GetWindowLongA(window, GWL_STYLE))))
      .add("exstyle", static_cast<std::uint64_t>(static_cast<DWORD>(GetWindowLongA(window, GWL_EXSTYLE))))
      .add("owner", handle_number(GetWindow(window, GW_OWNER)))
      .add("parent", handle_number(parent))
      .add("pid", pid)
      .add("visible", IsWindowVisible(window) ? 1 : 0);
}

// A filter from the command's words: "*" matches anything.
struct Match {
  std::string class_name;
  std::string title;
  DWORD pid;

  bool operator()(HWND window) const {
    char found_class[256] = {};
    GetClassNameA(window, found_class, sizeof found_class);
    DWORD owner_pid = 0;
    GetWindowThreadProcessId(window, &owner_pid);
    return (class_name == "*" || class_name == found_class) &&
           (title == "*" || title == window_text(window)) && (pid == 0 || pid == owner_pid);
  }
};

Match match_args(const Args& args) {
  return Match{args.text(0), args.text(1), static_cast<DWORD>(args.number(2))};
}

struct Search {
  const Match* match;
  std::vector<HWND> found;
};

BOOL CALLBACK collect(HWND window, LPARAM context) {
  auto& search = *reinterpret_cast<Search*>(context);
  if (!search.match || (*search.match)(window)) search.found.push_back(window);
  return TRUE;
}

std::vector<HWND> top_level(const Match& match) {
  Search search{&match, {}};
  EnumWindows(collect, reinterpret_cast<LPARAM>(&search));
  return search.found;
}

Reply list(const std::vector<HWND>& windows) {
  Reply reply;
  reply.add("count", static_cast<std::uint64_t>(windows.size()));
  for (std::size_t i = 0; i < windows.size(); ++i)
    reply.add_all("w" + std::to_string(i) + ".", describe(windows[i]));
  return reply;
}

LPARAM long_arg(const Args& args, std::size_t i) { return static_cast<LPARAM>(args.signed_number(i)); }

}  // namespace

void add_window_commands(CommandTable& table) {
  // windows <class|*> <title|*> <pid|0>: matching top-level windows.
  table.add("windows", [](const Args& args) { return list(top_level(match_args(args))); });
  // children <hwnd>: every descendant window.
  table.add("children", [](const Args& args) {
    Search search{nullptr, {}};
    EnumChildWindows(window_arg(args, 0), collect, reinterpret_cast<LPARAM>(&search));
    return list(search.found);
  });
  table.add("window", [](const Args& args) { return describe(window_arg(args, 0)); });
  // wait-window <class|*> <title|*> <pid|0> <ms>: the first matching visible
  // top-level window once there is one, or timeout=1. (A dialog that has just
  // been ended is hidden before it is destroyed, so it no longer counts.)
  table.add("wait-window", [](const Args& args) {
    const Match match = match_args(args);
    HWND found = nullptr;
    const bool seen = pump_until(static_cast<DWORD>(args.number(3)), [&] {
      for (HWND window : top_level(match)) {
        if (IsWindowVisible(window)) {
          found = window;
          return true;
        }
      }
      return false;
    });
    return seen ? describe(found) : Reply().add("timeout", 1);
  });
  table.add("foreground", [](const Args&) { return describe(GetForegroundWindow()); });
  // window-at <x> <y>: the window that mouse input at that screen point goes to.
  table.add("window-at", [](const Args& args) {
    const POINT at = {static_cast<LONG>(args.signed_number(0)), static_cast<LONG>(args.signed_number(1))};
    return describe(WindowFromPoint(at));
  });
  // post <hwnd> <message> <wparam> <lparam>
  table.add("post", [](const Args& args) {
    const BOOL posted = PostMessageA(window_arg(args, 0), static_cast<UINT>(args.number(1)),
                                     static_cast<WPARAM>(args.number(2)), long_arg(args, 3));
    return Reply().add("posted", posted ? 1 : 0).add("error", posted ? 0UL : GetLastError());
  });
  // send <hwnd> <message> <wparam> <lparam> [ms]: the result and how many
  // milliseconds the answer took, or timeout=1 after ms (default 5000).
  table.add("send", [](const Args& args) {
    const auto timeout = static_cast<UINT>(args.count() > 4 ? args.number(4) : 5000);
    const ULONGLONG started = GetTickCount64();
    DWORD_PTR result = 0;
    const LRESULT sent = SendMessageTimeoutA(window_arg(args, 0), static_cast<UINT>(args.number(1)),
                                             static_cast<WPARAM>(args.number(2)), long_arg(args, 3),
                                             SMTO_NORMAL, timeout, &result);
    if (!sent) return Reply().add("timeout", 1);
    return Reply()
        .add("result", static_cast<std::uint64_t>(result))
        .add("ms", static_cast<std::uint64_t>(GetTickCount64() - started));
  });
  // click <dialog> <button id> <hwnd|0>: presses a button of a dialog of
  // another process; with a window given, posts WM_CLOSE to it right after
  // the press returns.
  table.add("click", [](const Args& args) {
    const HWND button = GetDlgItem(window_arg(args, 0), static_cast<int>(args.number(1)));
    if (!button) throw Failure("the dialog has no button " + args.text(1));
    const std::string label = window_text(button);
    DWORD_PTR ignored = 0;
    SendMessageTimeoutA(button, BM_CLICK, 0, 0, SMTO_NORMAL, 5000, &ignored);
    const HWND close_after = window_arg(args, 2);
    if (close_after) PostMessageA(close_after, WM_CLOSE, 0, 0);
    return Reply().add("label", label);
  });
}

}  // namespace driver
