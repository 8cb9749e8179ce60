// The process entry of Roamlets.scr: cuts the command tail out of the raw
// command line, runs the mode it names and ends the process with its code.
#include <windows.h>

#include "saver/run_modes.h"
#include "saver/host_state.h"
#include "win32/win32_host.h"
#include "win32/win32_platform.h"
#include "scene/x87_precision.h"

int WINAPI WinMain(HINSTANCE, HINSTANCE, LPSTR, int) {
  roamlets::use_double_precision_arithmetic();
  // ExitProcess never returns, so `platform` lives until the process is gone,
  // as the fault guard that uses it needs.
  roamlets::saver::Win32Platform platform(roamlets::saver::saver_window_callback);
  ExitProcess(static_cast<UINT>(roamlets::saver::saver_entry(platform)));
}
