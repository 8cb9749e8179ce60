// The configuration and About dialogs on Windows. Their procedures translate
// dialog messages into ConfigDialog's and about_command's decisions and serve
// DialogControls with the dialog manager's calls.
#pragma once

#include <windows.h>

#include "saver/config_dialog.h"

namespace roamlets {

// Runs dialog 2003 modally, owned by `owner` (may be null), with `dialog`
// deciding; returns the dialog's end code, or -1 when it cannot be created.
int config_dialog_box(HINSTANCE instance, HWND owner, ConfigDialog& dialog);

}  // namespace roamlets
