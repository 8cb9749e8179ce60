// Where roamlets-render puts a picture: a regular file (or a new one) is
// replaced whole through a temporary file beside it; standard output ("-"), a
// device or a FIFO is written to directly; a folder, or a file the user may
// not write, is refused and left as it is. A symbolic link stays a link: the
// file it points to is the one replaced.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

namespace roamlets {

// True when `out` is written to directly ("-", a device, a FIFO, a socket),
// so that every frame of a sequence goes there one after another.
bool is_stream_output(const std::string& out);

// Writes `rgba` (width x height pixels, top row first) to `out` as a PNG. On
// failure returns false with the reason in `error` and leaves no temporary
// file; a replaced file is never left part-written.
bool write_picture(const std::string& out, int width, int height, const std::vector<std::uint8_t>& rgba,
                   std::string* error);

// From here on, SIGTERM, SIGINT and SIGHUP remove the temporary file being
// written, if any, before they end the process as they would have; signals
// that were ignored stay ignored. A file-size limit and a reader that went
// away become write errors instead of signals.
void remove_temporary_picture_on_signals();

}  // namespace roamlets
