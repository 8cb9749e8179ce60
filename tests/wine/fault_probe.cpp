// A test build of Roamlets.scr whose full-screen run faults: when its message
// loop takes the message kFaultMessage (which the test posts once it has seen
// the run start), it writes through a null pointer, outside any window
// procedure. Everything else is the real program, so the fault meets the
// program's own fault guard.
#include <windows.h>

#include "host/win32_host.h"
#include "host/win32_platform.h"

namespace {

constexpr UINT kFaultMessage = WM_APP + 0x7F;

class FaultingPlatform final : public roamlets::host::Win32Platform {
 public:
  FaultingPlatform() : Win32Platform(roamlets::host::saver_window_callback) {}

  int message_loop() override {
    MSG message{};
    while (GetMessageA(&message, nullptr, 0, 0) > 0) {
      TranslateMessage(&message);
      DispatchMessageA(&message);
      if (message.message == kFaultMessage) {
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
