// Test program standing in for the web browser: the prefixes of the dialog
// cases register it as the command of the "open" verb of https addresses, so a
// ShellExecuteA(..., "open", "https://...") of the saver starts it instead of
// a browser. It logs its command line and the show state it was started with
// (see module_log.h) to open-recorder.exe.log beside itself, and ends.
#include <windows.h>

#include "tests/e2e/wine/module_log.h"

int WINAPI WinMain(HINSTANCE, HINSTANCE, LPSTR, int show) {
  module_log::write(nullptr, "open", "show=" + std::to_string(show) + "\tcommand=" + GetCommandLineA());
  return 0;
}
