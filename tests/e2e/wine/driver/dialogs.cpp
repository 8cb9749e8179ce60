// Dialogs of another process: their controls as the dialog manager made them,
// the texts and check marks they show, text typed into them, and the dialog
// base units their templates were laid out with.
//
// Every message to the other process goes through SendMessageTimeoutA, so a
// dialog that stops answering shows as timeout=1 instead of hanging the driver.
#include <cstring>
#include <vector>

#include "tests/e2e/wine/driver/commands.h"

namespace driver {
namespace {

constexpr UINT kAnswerMs = 5000;

std::uint64_t handle_number(HWND window) { return reinterpret_cast<std::uintptr_t>(window); }

HWND item_arg(const Args& args) {
  const HWND item = GetDlgItem(window_arg(args, 0), static_cast<int>(args.number(1)));
  if (!item) throw Failure("the dialog has no control " + args.text(1));
  return item;
}

// A control's text through WM_GETTEXT, which the control's own thread answers
// (GetWindowTextA leaves an edit of another process empty); ids of -1 cannot
// be told apart by GetDlgItem, so every text is read through the control's handle.
bool item_text(HWND item, std::string& text) {
  char buffer[512] = {};
  DWORD_PTR copied = 0;
  if (!SendMessageTimeoutA(item, WM_GETTEXT, sizeof buffer, reinterpret_cast<LPARAM>(buffer), SMTO_NORMAL,
                           kAnswerMs, &copied))
    return false;
  text.assign(buffer, static_cast<std::size_t>(copied) < sizeof buffer ? copied : sizeof buffer - 1);
  return true;
}

// One control: rectangle in the dialog's client coordinates.
Reply describe_item(HWND dialog, HWND item) {
  char class_name[256] = {};
  GetClassNameA(item, class_name, sizeof class_name);
  RECT frame = {};
  GetWindowRect(item, &frame);
  MapWindowPoints(nullptr, dialog, reinterpret_cast<POINT*>(&frame), 2);
  std::string text;
  Reply reply;
  reply.add("hwnd", handle_number(item))
      .add("id", static_cast<std::uint64_t>(static_cast<WORD>(GetDlgCtrlID(item))))
      .add("class", class_name);
  if (item_text(item, text)) {
    reply.add("text", text);
  } else {
    reply.add("timeout", 1);
  }
  return reply.add("style", static_cast<std::uint64_t>(static_cast<DWORD>(GetWindowLongA(item, GWL_STYLE))))
      .add("exstyle", static_cast<std::uint64_t>(static_cast<DWORD>(GetWindowLongA(item, GWL_EXSTYLE))))
      .add("x", frame.left)
      .add("y", frame.top)
      .add("width", frame.right - frame.left)
      .add("height", frame.bottom - frame.top);
}

// dialog-items <hwnd>: the dialog's own controls in Z order, which for a
// dialog made from a template is the template's order (and the tab order).
Reply list_items(const Args& args) {
  const HWND dialog = window_arg(args, 0);
  if (!IsWindow(dialog)) throw Failure("no window " + args.text(0));
  Reply reply;
  std::uint64_t count = 0;
  for (HWND item = GetWindow(dialog, GW_CHILD); item; item = GetWindow(item, GW_HWNDNEXT))
    reply.add_all("w" + std::to_string(count++) + ".", describe_item(dialog, item));
  return reply.add("count", count);
}

// An in-memory template of an empty, hidden dialog in the given font: the
// DLGTEMPLATE header, then no menu, the default class, an empty title, the
// point size and the face name, all as 16-bit words.
std::vector<WORD> font_template(WORD points, const char* face) {
  std::vector<WORD> words(sizeof(DLGTEMPLATE) / sizeof(WORD), 0);
  DLGTEMPLATE header = {};
  header.style = WS_POPUP | DS_SETFONT;
  std::memcpy(words.data(), &header, sizeof header);
  words.insert(words.end(), {0, 0, 0, points});
  for (const char* c = face; *c; ++c) words.push_back(static_cast<WORD>(static_cast<unsigned char>(*c)));
  words.push_back(0);
  return words;
}

INT_PTR CALLBACK quiet_dialog_proc(HWND, UINT, WPARAM, LPARAM) { return FALSE; }

// dialog-units <points> <face>: the base units (bx, by) that MapDialogRect
// gives a dialog in that font. MapDialogRect answers only for dialogs of the
// calling process (under Wine it fails with error 1400, invalid window handle,
// for another process's dialog), so the units come from a hidden dialog of the
// driver's own, made from a template with the same font.
Reply dialog_units(const Args& args) {
  const std::vector<WORD> words = font_template(static_cast<WORD>(args.number(0)), args.text(1).c_str());
  const HWND own = CreateDialogIndirectParamA(GetModuleHandleA(nullptr),
                                              reinterpret_cast<const DLGTEMPLATE*>(words.data()), nullptr,
                                              quiet_dialog_proc, 0);
  if (!own) throw Failure("CreateDialogIndirectParamA failed with error " + std::to_string(GetLastError()));
  RECT units = {0, 0, 4, 8};
  const BOOL mapped = MapDialogRect(own, &units);
  DestroyWindow(own);
  pump_messages();
  if (!mapped) throw Failure("MapDialogRect failed on the driver's own dialog");
  return Reply().add("bx", units.right).add("by", units.bottom);
}

}  // namespace

void add_dialog_commands(CommandTable& table) {
  table.add("dialog-items", list_items);
  // dialog-text <dialog> <id>: text=<the control's text>.
  table.add("dialog-text", [](const Args& args) {
    std::string text;
    if (!item_text(item_arg(args), text)) return Reply().add("timeout", 1);
    return Reply().add("text", text);
  });
  // dialog-set-text <dialog> <id> <text>: what SetDlgItemTextA does (WM_SETTEXT
  // to the control, whose change notification reaches the dialog procedure
  // before the send returns), with a time limit.
  table.add("dialog-set-text", [](const Args& args) {
    DWORD_PTR result = 0;
    if (!SendMessageTimeoutA(item_arg(args), WM_SETTEXT, 0, reinterpret_cast<LPARAM>(args.text(2).c_str()),
                             SMTO_NORMAL, kAnswerMs, &result))
      return Reply().add("timeout", 1);
    return Reply().add("set", static_cast<std::uint64_t>(result));
  });
  // dialog-checked <dialog> <id>: checked=<BM_GETCHECK's answer>.
  table.add("dialog-checked", [](const Args& args) {
    DWORD_PTR state = 0;
    if (!SendMessageTimeoutA(item_arg(args), BM_GETCHECK, 0, 0, SMTO_NORMAL, kAnswerMs, &state))
      return Reply().add("timeout", 1);
    return Reply().add("checked", static_cast<std::uint64_t>(state));
  });
  table.add("dialog-units", dialog_units);
}

}  // namespace driver
