#include "tests/e2e/wine/module_log.h"

#include <cstdint>

namespace module_log {

void write(HMODULE module, const std::string& event, const std::string& fields) {
  char path[MAX_PATH] = {};
  GetModuleFileNameA(module, path, MAX_PATH - 8);
  const std::string log_path = std::string(path) + ".log";
  const HANDLE file = CreateFileA(log_path.c_str(), FILE_APPEND_DATA, FILE_SHARE_READ | FILE_SHARE_WRITE,
                                  nullptr, OPEN_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
  if (file == INVALID_HANDLE_VALUE) return;
  std::string line = "event=" + event + "\ttick=" + std::to_string(GetTickCount());
  if (!fields.empty()) line += "\t" + fields;
  line += "\r\n";
  DWORD written = 0;
  WriteFile(file, line.data(), static_cast<DWORD>(line.size()), &written, nullptr);
  CloseHandle(file);
}

std::string window_fields(HWND window) {
  char class_name[256] = {};
  char title[256] = {};
  if (IsWindow(window)) {
    GetClassNameA(window, class_name, sizeof class_name);
    GetWindowTextA(window, title, sizeof title);
  }
  return "hwnd=" + std::to_string(reinterpret_cast<std::uintptr_t>(window)) + "\tclass=" + class_name +
         "\ttitle=" + title;
}

void attached(HMODULE module) {
  char library[MAX_PATH] = {};
  GetModuleFileNameA(module, library, MAX_PATH);
  char program[MAX_PATH] = {};
  GetModuleFileNameA(nullptr, program, MAX_PATH);
  write(module, "attach", std::string("library=") + library + "\tprogram=" + program);
}

}  // namespace module_log
