#include "tests/e2e/wine/driver/commands.h"

namespace driver {

void pump_messages() {
  MSG msg;
  while (PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE)) {
    TranslateMessage(&msg);
    DispatchMessageA(&msg);
  }
}

bool pump_until(DWORD timeout_ms, const std::function<bool()>& ready, HANDLE handle) {
  const ULONGLONG deadline = GetTickCount64() + timeout_ms;
  for (;;) {
    pump_messages();
    if (ready()) return true;
    const ULONGLONG now = GetTickCount64();
    if (now >= deadline) return false;
    const DWORD slice = static_cast<DWORD>(deadline - now < 10 ? deadline - now : 10);
    MsgWaitForMultipleObjects(handle ? 1 : 0, &handle, FALSE, slice, QS_ALLINPUT);
  }
}

}  // namespace driver
