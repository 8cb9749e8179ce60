// The configuration run on Windows: the configuration dialog over the
// process's settings, the user's store and the process's scene model.
#pragma once

#include <windows.h>

#include "saver/process_records.h"

namespace roamlets::saver {

// The dialog's end code, or -1 when it cannot be created.
int configure_settings(HINSTANCE instance, HWND owner, ProcessRecords& records);

}  // namespace roamlets::saver
