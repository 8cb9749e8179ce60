// Log of the test libraries that the saver loads in the end-to-end runs.
//
// Each library appends one line per event to a file beside itself
// (C:\windows\system32\PASSWORD.CPL.log for PASSWORD.CPL), which the harness
// reads through the prefix's folder. A line is tab-separated key=value fields,
// the first being event=<name>.
#pragma once

#include <windows.h>

#include <string>

namespace module_log {

// Appends `fields` (already "key=value" separated by tabs) after event=<event>.
void write(HMODULE module, const std::string& event, const std::string& fields);

// "hwnd=<decimal>\tclass=<class>\ttitle=<title>" for a window (empty class and
// title when it is none).
std::string window_fields(HWND window);

// event=attach with the library's own path and the process's program path.
void attached(HMODULE module);

}  // namespace module_log
