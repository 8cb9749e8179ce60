#include "win32/win32_program.h"

#include "saver/run_modes.h"
#include "win32/win32_handles.h"

namespace roamlets::saver {

Win32Program::Win32Program(Win32Platform& platform)
    : host_{state_, platform}, saver_run_(host_, records_) {
  platform.serve(host_, saver_run_, records_);
}

int Win32Program::run() {
  const char* tail = command_tail(host_.platform, GetCommandLineA());
  return saver_main(host_, to_module(GetModuleHandleA(nullptr)), tail);
}

}  // namespace roamlets::saver
