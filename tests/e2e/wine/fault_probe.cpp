// A test build of Roamlets.scr whose full-screen run fails on request: when
// its message loop takes the message kFaultMessage (which the test posts once
// it has seen the run start), it writes through a null pointer; on
// kThrowMessage it throws std::bad_alloc, which nothing catches. Both happen
// outside any window procedure. Everything else is the real program, so the
// failure meets the program's own fault guard.
#include <windows.h>

#include <new>

#include "win32/win32_platform.h"
#include "win32/win32_program.h"

namespace {

constexpr UINT kFaultMessage = WM_APP + 0x7F;
constexpr UINT kThrowMessage = WM_APP + 0x7E;

class FaultingPlatform final : public roamlets::saver::Win32Platform {
 public:
  int message_loop() override {
    MSG message{};
    while (GetMessageA(&message, nullptr, 0, 0) > 0) {
      TranslateMessage(&message);
      DispatchMessageA(&message);
      if (message.message == kFaultMessage) {
        int* volatile target = nullptr;
        *target = 1;
      }
      if (message.message == kThrowMessage) throw std::bad_alloc();
    }
    return static_cast<int>(message.wParam);
  }
};

}  // namespace

int WINAPI WinMain(HINSTANCE, HINSTANCE, LPSTR, int) {
  FaultingPlatform platform;
  roamlets::saver::Win32Program program(platform);
  ExitProcess(static_cast<UINT>(program.run()));
}
