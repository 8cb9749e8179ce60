// The screen-saver command line: the tail after the program name, the run
// mode it names, and the dispatch that runs that mode.
#pragma once

#include <cstdint>

#include "saver/platform.h"

namespace roamlets::saver {

enum class RunKind { Configure, Run, Preview, ChangePassword, Reject };

// The mode a command tail names. `text` is where the handle text starts, past
// the letter and any spaces, for Preview and ChangePassword. For Configure,
// `from_letter` tells a 'C' from an empty tail, and `owner` is the handle
// given after "C:" (0 when none).
struct RunMode {
  RunKind kind = RunKind::Reject;
  const char* text = "";
  bool from_letter = false;
  Window owner = 0;
};

// The part of a raw command line after the program name and the blanks and
// control bytes that follow it. A quoted name ends at the closing quote (an
// unterminated quote takes the whole line); an unquoted one at the first byte
// of 0x20 or less; a line that starts with such a byte has no name skipped.
const char* command_tail(Platform& platform, const char* line);

// An unsigned decimal window handle at the start of `text`, wrapping at 2^32;
// the first non-digit ends it and no digits give 0.
Window parse_window_handle(const char* text);

// Reads the first mode letter of a command tail.
RunMode scan_command_tail(const char* tail, bool on_win9x);

// The dispatch: records the instance and the platform family in the host's
// record, installs the fault guard and runs the mode the tail names. Returns
// the process's exit code. The guard uses the host's record and platform until
// the process ends, so both must live that long; `host` itself need not.
int saver_main(Host& host, Instance instance, const char* tail);

}  // namespace roamlets::saver
