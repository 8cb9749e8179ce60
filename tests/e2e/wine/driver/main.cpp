// Test driver for the end-to-end runs of the screen saver under Wine.
//
// A console program of our own that runs in the same Wine prefix as the saver
// and does, through the Windows API, what the Python harness cannot do from
// the Linux side: start programs and read their full 32-bit exit codes, find
// windows of other processes and read their class, title, geometry, style and
// owner, post and send messages, create the windows a preview lives in, press
// buttons of message boxes, read and fill in the controls of dialogs, read
// or write the registry and sample the memory, objects and handles that a
// program holds.
//
// It serves commands read from standard input (see protocol.h) until that is
// closed or "quit" arrives. The main thread owns the driver's windows and keeps
// pumping their messages between and during commands; a second thread only
// reads lines and queues them.
#include <windows.h>

#include <cstdio>
#include <cstring>
#include <deque>
#include <string>

#include "tests/e2e/wine/driver/commands.h"

namespace {

struct CommandQueue {
  SRWLOCK lock = SRWLOCK_INIT;
  std::deque<std::string> lines;
  HANDLE ready = CreateEventA(nullptr, TRUE, FALSE, nullptr);

  void push(std::string line) {
    AcquireSRWLockExclusive(&lock);
    lines.push_back(std::move(line));
    SetEvent(ready);
    ReleaseSRWLockExclusive(&lock);
  }

  bool pop(std::string& line) {
    AcquireSRWLockExclusive(&lock);
    const bool any = !lines.empty();
    if (any) {
      line = std::move(lines.front());
      lines.pop_front();
    }
    if (lines.empty()) ResetEvent(ready);
    ReleaseSRWLockExclusive(&lock);
    return any;
  }
};

DWORD WINAPI read_commands(void* context) {
  auto& queue = *static_cast<CommandQueue*>(context);
  const HANDLE input = GetStdHandle(STD_INPUT_HANDLE);
  std::string pending;
  char buffer[4096];
  DWORD got = 0;
  while (ReadFile(input, buffer, sizeof buffer, &got, nullptr) && got > 0) {
    pending.append(buffer, got);
    for (std::size_t end; (end = pending.find('\n')) != std::string::npos;) {
      std::string line = pending.substr(0, end);
      if (!line.empty() && line.back() == '\r') line.pop_back();
      queue.push(std::move(line));
      pending.erase(0, end + 1);
    }
  }
  queue.push("quit");
  return 0;
}

void answer(const std::string& line) {
  std::fputs(line.c_str(), stdout);
  std::fputc('\n', stdout);
  std::fflush(stdout);
}

}  // namespace

int main(int argc, char** argv) {
  if (argc == 2 && std::strcmp(argv[1], "--saver-running") == 0) return driver::report_saver_running();

  driver::CommandTable table;
  driver::add_process_commands(table);
  driver::add_window_commands(table);
  driver::add_test_window_commands(table);
  driver::add_registry_commands(table);
  driver::add_system_commands(table);
  driver::add_dialog_commands(table);

  CommandQueue queue;
  const HANDLE reader = CreateThread(nullptr, 0, read_commands, &queue, 0, nullptr);
  if (!reader) return 1;
  answer("ok ready=1");

  for (;;) {
    MsgWaitForMultipleObjects(1, &queue.ready, FALSE, INFINITE, QS_ALLINPUT);
    driver::pump_messages();
    std::string line;
    while (queue.pop(line)) {
      if (line == "quit") {
        answer("ok");
        return 0;
      }
      try {
        answer(table.run(driver::Args(line)).line());
      } catch (const driver::Failure& failure) {
        answer("error " + driver::percent_encode(failure.what()));
      }
    }
  }
}
