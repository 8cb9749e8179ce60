#include "win32/win32_dialogs.h"

#include <commctrl.h>
#include <shellapi.h>

#include "resources/resource_ids.h"
#include "saver/about_dialog.h"

namespace roamlets {
namespace {

// The decisions of the configuration dialog that is open, if any.
ConfigDialog* g_config = nullptr;

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

}  // namespace

int run_config_dialog(HINSTANCE instance, HWND owner, ConfigDialog& dialog) {
  g_config = &dialog;
  const INT_PTR result = DialogBoxParamA(instance, MAKEINTRESOURCEA(IDD_CONFIGURE), owner, config_dialog_proc, 0);
  g_config = nullptr;
  return static_cast<int>(result);
}

INT_PTR CALLBACK config_dialog_proc(HWND dialog, UINT message, WPARAM wparam, LPARAM) {
  if (!g_config) return FALSE;
  Win32DialogControls controls(dialog);
  switch (message) {
    case WM_INITDIALOG:
      g_config->initialise(controls);
      return TRUE;
    case WM_COMMAND:
      g_config->command(controls, command_id(wparam));
      return TRUE;
    default:
      return FALSE;
  }
}

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

}  // namespace roamlets
