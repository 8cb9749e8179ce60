// The driver's commands, grouped by concern; each group adds its own to the table.
#pragma once

#include <windows.h>

#include <functional>
#include <map>
#include <string>

#include "tests/e2e/wine/driver/protocol.h"

namespace driver {

using Command = std::function<Reply(const Args&)>;

class CommandTable {
 public:
  void add(const std::string& name, Command command) { commands_[name] = std::move(command); }
  Reply run(const Args& args) const;

 private:
  std::map<std::string, Command> commands_;
};

// start, start-app, wait, running, end-all, usage, usage-probe: programs
// started by the driver, and what they hold.
void add_process_commands(CommandTable& table);
// windows, children, window, wait-window, foreground, window-at, post, send,
// click: windows of any process.
void add_window_commands(CommandTable& table);
// make-window, messages, destroy, raise, activate: windows of the driver itself.
void add_test_window_commands(CommandTable& table);
// reg-set, reg-values, reg-delete: the registry of the prefix.
void add_registry_commands(CommandTable& table);
// saver-running: the system's screen-saver-running flag.
void add_system_commands(CommandTable& table);
// dialog-items, dialog-text, dialog-set-text, dialog-checked, dialog-units:
// dialogs of another process.
void add_dialog_commands(CommandTable& table);

// CreateProcessA with the command line exactly as given; `application` may be
// null (the program is then the first word of the line). The thread handle is
// closed; the caller owns the process handle. Throws Failure when it cannot start.
PROCESS_INFORMATION create_process(const char* application, const std::string& command_line);

// What a process holds: its memory, GDI and USER objects and handles, each
// also counted another way for systems whose calls answer a flat 0.
Reply usage_of(HANDLE process, DWORD pid);

// How much each value of usage_of moves for the driver's own process when it
// makes 16 GDI objects, 4 windows, 16 handles and 16 MiB of memory.
Reply probe_usage();

// One-shot mode of the driver's own program (driver.exe --saver-running):
// the flag as a fresh process sees it, as the exit code (0 or 1; 2 on failure).
int report_saver_running();

// Dispatches this thread's waiting messages (the driver's own windows must
// stay responsive while a command waits).
void pump_messages();
// Pumps until ready() holds or timeout_ms have passed; polls every 10 ms and
// wakes early when `handle` (may be null) is signalled. Returns ready().
bool pump_until(DWORD timeout_ms, const std::function<bool()>& ready, HANDLE handle = nullptr);

// A window handle as the harness writes it: unsigned decimal.
HWND window_arg(const Args& args, std::size_t i);
std::string window_text(HWND window);

}  // namespace driver
