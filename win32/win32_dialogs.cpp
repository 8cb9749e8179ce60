#include "win32/win32_dialogs.h"

#include <commctrl.h>
#include <shellapi.h>

#include "resources/resource_ids.h"
#include "saver/about_dialog.h"

namespace roamlets {
namespace {

INT_PTR CALLBACK about_dialog_proc(HWND dialog, UINT message, WPARAM wparam, LPARAM lparam);

class Win32DialogControls final : public DialogControls {
 public:
  explicit Win32DialogControls(HWND dialog) : dialog_(dialog) {}

  void init_common_controls() override { InitCommonControls(); }

  std::string item_text(int id) override {
    char text[kFieldChars + 1] = {};
    GetDlgItemTextA(dialog_, id, text, sizeof text);
    return text;
  }

  void set_item_text(int id, const std::string& text) override { SetDlgItemTextA(dialog_, id, text.c_str()); }

  void check_radio_button(int first, int last, int checked) override {
    CheckRadioButton(dialog_, first, last, checked);
  }

  void send_item_message(int id, std::uint32_t message, std::uintptr_t wparam, std::intptr_t lparam) override {
    SendDlgItemMessageA(dialog_, id, message, wparam, lparam);
  }

  void end_dialog(int result) override { EndDialog(dialog_, result); }

  void run_about_dialog() override {
    const auto instance = reinterpret_cast<HINSTANCE>(GetWindowLongPtrA(dialog_, GWLP_HINSTANCE));
    DialogBoxParamA(instance, MAKEINTRESOURCEA(IDD_ABOUT), dialog_, about_dialog_proc, 0);
  }

  void shell_open(const char* address) override {
    ShellExecuteA(nullptr, "open", address, nullptr, nullptr, SW_SHOWNORMAL);
  }

 private:
  HWND dialog_;
};

std::uint16_t command_id(WPARAM wparam) { return LOWORD(wparam); }

INT_PTR CALLBACK about_dialog_proc(HWND dialog, UINT message, WPARAM wparam, LPARAM lparam) {
  switch (message) {
    case WM_COMMAND: {
      Win32DialogControls controls(dialog);
      return about_command(controls, command_id(wparam)) ? TRUE : FALSE;
    }
    case WM_CTLCOLORSTATIC: {
      // The web address in blue on the button face; other labels as usual.
      if (reinterpret_cast<HWND>(lparam) != GetDlgItem(dialog, IDC_WEB_ADDRESS)) return FALSE;
      const auto context = reinterpret_cast<HDC>(wparam);
      SetTextColor(context, RGB(0, 0, 255));
      SetBkColor(context, GetSysColor(COLOR_BTNFACE));
      return reinterpret_cast<INT_PTR>(GetSysColorBrush(COLOR_BTNFACE));
    }
    default:
      return FALSE;
  }
}

// The dialog's decisions come as its creation parameter and stay with the
// dialog from WM_INITDIALOG on; what comes before (WM_SETFONT) is the dialog
// manager's.
INT_PTR CALLBACK config_dialog_proc(HWND dialog, UINT message, WPARAM wparam, LPARAM lparam) {
  if (message == WM_INITDIALOG) SetWindowLongPtrA(dialog, DWLP_USER, lparam);
  auto* const config = reinterpret_cast<ConfigDialog*>(GetWindowLongPtrA(dialog, DWLP_USER));
  if (config == nullptr) return FALSE;
  Win32DialogControls controls(dialog);
  switch (message) {
    case WM_INITDIALOG:
      config->initialise(controls);
      return TRUE;
    case WM_COMMAND:
      config->command(controls, command_id(wparam));
      return TRUE;
    default:
      return FALSE;
  }
}

}  // namespace

int config_dialog_box(HINSTANCE instance, HWND owner, ConfigDialog& dialog) {
  return static_cast<int>(DialogBoxParamA(instance, MAKEINTRESOURCEA(IDD_CONFIGURE), owner, config_dialog_proc,
                                          reinterpret_cast<LPARAM>(&dialog)));
}

}  // namespace roamlets
