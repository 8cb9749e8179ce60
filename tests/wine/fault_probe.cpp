// A test build of Roamlets.scr whose full-screen run faults: about a second
// after the message loop starts, it writes through a null pointer, outside any
// window procedure. Everything else is the real program, so the fault meets
// the program's own fault guard.
#include <windows.h>

#include "host/win32_host.h"
#include "host/win32_platform.h"

namespace {

constexpr DWORD kFaultAfterMs = 1000;

class FaultingPlatform final : public roamlets::host::Win32Platform {
 public:
  FaultingPlatform() : Win32Platform(roamlets::host::saver_window_callback) {}

  int message_loop() override {
    const DWORD start = GetTickCount();
    MSG message{};
    while (GetMessageA(&message, nullptr, 0, 0) > 0) {
      TranslateMessage(&message);
      DispatchMessageA(&message);
      if (GetTickCount() - start >= kFaultAfterMs) {
        int* volatile target = nullptr;
        *target = 1;
      }
    }
    return static_cast<int>(message.wParam);
  }
};

}  // namespace

int WINAPI WinMain(HINSTANCE, HINSTANCE, LPSTR, int) {
  FaultingPlatform platform;
  ExitProcess(static_cast<UINT>(roamlets::host::saver_entry(platform)));
}
