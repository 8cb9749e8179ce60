// The process-wide host on Windows: its record, the saver window's procedure,
// and the entry that runs a command line through them.
#pragma once

#include <windows.h>

#include "saver/platform.h"

namespace roamlets::saver {

// The saver window class's procedure: the host's routing, then the scene.
LRESULT CALLBACK saver_window_callback(HWND window, UINT id, WPARAM wparam, LPARAM lparam);

// Runs the mode that this process's command line names, through `platform`
// (whose saver class must use saver_window_callback), and returns the exit
// code. Call once per process.
int saver_entry(Platform& platform);

}  // namespace roamlets::saver
