// The process entry of Roamlets.scr: cuts the command tail out of the raw
// command line, runs the mode it names and ends the process with its code.
#include <windows.h>

#include "scene/x87_precision.h"
#include "win32/win32_platform.h"
#include "win32/win32_program.h"

int WINAPI WinMain(HINSTANCE, HINSTANCE, LPSTR, int) {
  roamlets::use_double_precision_arithmetic();
  // ExitProcess never returns, so the platform and the program live until the
  // process is gone, as the fault guard that uses them needs.
  roamlets::saver::Win32Platform platform;
  roamlets::saver::Win32Program program(platform);
  ExitProcess(static_cast<UINT>(program.run()));
}
