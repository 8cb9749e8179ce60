// The system's screen-saver-running flag (SPI_SCREENSAVERRUNNING).
//
// A process may keep system parameters it has read, so the flag is read by a
// fresh process each time: the driver starts its own program in its one-shot
// mode and takes the exit code.

#include "tests/e2e/wine/driver/commands.h"

namespace driver {

int report_saver_running() {
  BOOL running = FALSE;
  if (!SystemParametersInfoA(SPI_GETSCREENSAVERRUNNING, 0, &running, 0)) return 2;
  return running ? 1 : 0;
}

void add_system_commands(CommandTable& table) {
  // saver-running: running=0|1 as a new process reads it.
  table.add("saver-running", [](const Args&) {
    char program[MAX_PATH] = {};
    GetModuleFileNameA(nullptr, program, MAX_PATH);
    const PROCESS_INFORMATION process =
        create_process(program, std::string("\"") + program + "\" --saver-running");
    const bool ended = pump_until(
        10000, [&] { return WaitForSingleObject(process.hProcess, 0) == WAIT_OBJECT_0; }, process.hProcess);
    DWORD code = 2;
    if (ended) GetExitCodeProcess(process.hProcess, &code);
    CloseHandle(process.hProcess);
    if (!ended || code > 1) throw Failure("the saver-running query failed");
    return Reply().add("running", code);
  });
}

}  // namespace driver
