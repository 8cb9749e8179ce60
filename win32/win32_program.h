// One Roamlets.scr process: the host's record, the scene and the settings it
// works on, and the saver window's run, over the Win32 platform. WinMain
// makes one and ends the process without returning, so the record lives as
// long as the fault guard that uses it.
#pragma once

#include "saver/host_state.h"
#include "saver/platform.h"
#include "saver/process_records.h"
#include "win32/win32_platform.h"
#include "win32/win32_scene_window.h"

namespace roamlets::saver {

class Win32Program {
 public:
  explicit Win32Program(Win32Platform& platform);
  Win32Program(const Win32Program&) = delete;
  Win32Program& operator=(const Win32Program&) = delete;

  // Runs the mode that this process's command line names and returns the
  // exit code. Call once per process.
  int run();

 private:
  HostState state_;
  ProcessRecords records_;
  Host host_;
  SaverRunProcedure saver_run_;
};

}  // namespace roamlets::saver
