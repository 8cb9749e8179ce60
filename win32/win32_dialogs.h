// The configuration and About dialogs on Windows. Their procedures translate
// dialog messages into ConfigDialog's and about_command's decisions and serve
// DialogControls with the dialog manager's calls.
#pragma once

#include <windows.h>

#include "saver/config_dialog.h"

namespace roamlets {

// Runs dialog 2003 modally, owned by `owner` (may be null), with `dialog`
// deciding; returns the dialog's end code, or -1 when it cannot be created.
int run_config_dialog(HINSTANCE instance, HWND owner, ConfigDialog& dialog);

INT_PTR CALLBACK config_dialog_proc(HWND dialog, UINT message, WPARAM wparam, LPARAM lparam);
INT_PTR CALLBACK about_dialog_proc(HWND dialog, UINT message, WPARAM wparam, LPARAM lparam);

}  // namespace roamlets
