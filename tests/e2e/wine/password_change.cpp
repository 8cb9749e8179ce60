// Test network-provider library, installed as C:\windows\system32\MPR.DLL in
// the prefix of the password-change case (loaded as a native library there).
// PwdChangePasswordA logs its four arguments and succeeds without asking.
#include <windows.h>

#include <cstdint>
#include <string>

#include "tests/e2e/wine/module_log.h"

namespace {
HMODULE self = nullptr;
}  // namespace

extern "C" __declspec(dllexport) DWORD WINAPI
    PwdChangePasswordA(LPCSTR provider, HWND owner, DWORD reserved, void* reserved_pointer) {
  module_log::write(self, "change",
                    std::string("provider=") + (provider ? provider : "(null)") +
                        "\towner=" + std::to_string(reinterpret_cast<std::uintptr_t>(owner)) +
                        "\treserved=" + std::to_string(reserved) + "\treserved_pointer=" +
                        std::to_string(reinterpret_cast<std::uintptr_t>(reserved_pointer)));
  return 0;
}

BOOL WINAPI DllMain(HINSTANCE instance, DWORD reason, LPVOID) {
  if (reason == DLL_PROCESS_ATTACH) {
    self = instance;
    module_log::attached(instance);
  }
  return TRUE;
}
