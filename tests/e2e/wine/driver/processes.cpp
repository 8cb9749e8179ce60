// Programs started by the driver, known to the harness by a small id, and
// what they hold while they run.
#include <windows.h>
// After windows.h:
#include <tlhelp32.h>

#include <map>
#include <string>

#include "tests/e2e/wine/driver/commands.h"

namespace driver {
namespace {

std::map<unsigned, PROCESS_INFORMATION>& started() {
  static std::map<unsigned, PROCESS_INFORMATION> processes;
  return processes;
}

const PROCESS_INFORMATION& process_arg(const Args& args, std::size_t i) {
  const auto found = started().find(static_cast<unsigned>(args.number(i)));
  if (found == started().end()) throw Failure(args.name() + ": no program with id " + args.text(i));
  return found->second;
}

}  // namespace

PROCESS_INFORMATION create_process(const char* application, const std::string& command_line) {
  std::vector<char> line(command_line.begin(), command_line.end());
  line.push_back('\0');
  STARTUPINFOA startup = {};
  startup.cb = sizeof startup;
  PROCESS_INFORMATION process = {};
  if (!CreateProcessA(application, line.data(), nullptr, nullptr, FALSE, 0, nullptr, nullptr, &startup,
                      &process)) {
    throw Failure("CreateProcessA failed with error " + std::to_string(GetLastError()));
  }
  CloseHandle(process.hThread);
  return process;
}

namespace {

Reply start(const char* application, const std::string& command_line) {
  const PROCESS_INFORMATION process = create_process(application, command_line);
  const auto id = static_cast<unsigned>(started().size() + 1);
  started()[id] = process;
  return Reply().add("id", id).add("pid", process.dwProcessId);
}

Reply exit_code_of(const PROCESS_INFORMATION& process) {
  DWORD code = 0;
  if (!GetExitCodeProcess(process.hProcess, &code)) throw Failure("GetExitCodeProcess failed");
  return Reply().add("exit", code);
}

bool has_ended(const PROCESS_INFORMATION& process) {
  return WaitForSingleObject(process.hProcess, 0) == WAIT_OBJECT_0;
}

// Waits up to the timeout for the program to end while the driver's windows
// keep working; `terminate_late` ends a program that is still running then.
Reply await(const Args& args, bool terminate_late) {
  const PROCESS_INFORMATION& process = process_arg(args, 0);
  const auto timeout = static_cast<DWORD>(args.number(1));
  if (pump_until(
          timeout, [&] { return has_ended(process); }, process.hProcess))
    return exit_code_of(process);
  if (!terminate_late) return Reply().add("running", 1);
  TerminateProcess(process.hProcess, 0xDEAD);
  WaitForSingleObject(process.hProcess, 5000);
  return Reply().add("timeout", 1);
}

// Whether any process of the prefix runs a program of that file name.
bool program_runs(const std::string& file_name) {
  const HANDLE snapshot = CreateToolhelp32Snapshot(TH32CS_SNAPPROCESS, 0);
  if (snapshot == INVALID_HANDLE_VALUE) throw Failure("CreateToolhelp32Snapshot failed");
  PROCESSENTRY32 entry = {};
  entry.dwSize = sizeof entry;
  bool found = false;
  for (BOOL more = Process32First(snapshot, &entry); more && !found; more = Process32Next(snapshot, &entry))
    found = lstrcmpiA(entry.szExeFile, file_name.c_str()) == 0;
  CloseHandle(snapshot);
  return found;
}

}  // namespace

void add_process_commands(CommandTable& table) {
  // start <command line>: the program is the line's first word.
  table.add("start", [](const Args& args) { return start(nullptr, args.text(0)); });
  // start-app <program> <command line>: lpApplicationName set, the line as given.
  table.add("start-app", [](const Args& args) { return start(args.text(0).c_str(), args.text(1)); });
  // wait <id> <ms>: exit=<code>, or timeout=1 after terminating the program.
  table.add("wait", [](const Args& args) { return await(args, true); });
  // running <id> <ms>: exit=<code> when it ends within ms, else running=1.
  table.add("running", [](const Args& args) { return await(args, false); });
  // wait-gone <file name> <ms>: gone=1 once no process runs a program of that
  // name, gone=0 when one still does after ms. For a program that starts a
  // copy of itself and ends at once, as an uninstaller that removes itself does.
  table.add("wait-gone", [](const Args& args) {
    const std::string& name = args.text(0);
    return Reply().add("gone", pump_until(static_cast<DWORD>(args.number(1)), [&] { return !program_runs(name); })
                                   ? 1
                                   : 0);
  });
  // end-all: terminates every started program still running.
  table.add("end-all", [](const Args&) {
    unsigned ended = 0;
    for (auto& entry : started()) {
      if (has_ended(entry.second)) continue;
      TerminateProcess(entry.second.hProcess, 0xDEAD);
      WaitForSingleObject(entry.second.hProcess, 5000);
      ++ended;
    }
    return Reply().add("ended", ended);
  });
  // usage <id>: running=1 and what the program holds (see Usage), or
  // running=0 exit=<code> once it has ended.
  table.add("usage", [](const Args& args) {
    const PROCESS_INFORMATION& process = process_arg(args, 0);
    if (has_ended(process)) return exit_code_of(process).add("running", 0);
    return usage_of(process.hProcess, process.dwProcessId).add("running", 1);
  });
  // usage-probe: how much each value of usage moves for the driver's own
  // process when it makes 16 GDI objects, 4 windows, 16 handles and 16 MiB
  // of memory; gui_error is GetGuiResources' error code when it answers 0.
  table.add("usage-probe", [](const Args&) { return probe_usage(); });
}

}  // namespace driver
