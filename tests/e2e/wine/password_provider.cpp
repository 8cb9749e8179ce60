// Test password provider, installed as C:\windows\system32\PASSWORD.CPL in
// the prefixes of the password cases.
//
// VerifyScreenSavePwd logs the window it was given, asks "Test Password" in a
// Yes/No message box owned by that window (the driver presses a button), logs
// the answer and returns it: Yes lets the saver close, No keeps it running.
#include <windows.h>

#include "tests/e2e/wine/module_log.h"

namespace {
HMODULE self = nullptr;
}  // namespace

extern "C" __declspec(dllexport) BOOL WINAPI VerifyScreenSavePwd(HWND window) {
  module_log::write(self, "verify", module_log::window_fields(window));
  const int answer = MessageBoxA(window, "Close the screen saver?", "Test Password", MB_YESNO);
  const BOOL verdict = answer == IDYES ? TRUE : FALSE;
  module_log::write(self, "answer", "verdict=" + std::to_string(verdict));
  return verdict;
}

BOOL WINAPI DllMain(HINSTANCE instance, DWORD reason, LPVOID) {
  if (reason == DLL_PROCESS_ATTACH) {
    self = instance;
    module_log::attached(instance);
  } else if (reason == DLL_PROCESS_DETACH) {
    module_log::write(self, "detach", "");
  }
  return TRUE;
}
