// The signals that end a run: SIGTERM (how a screen-saver daemon stops its
// hack), SIGINT and SIGHUP. Each is caught and written as a byte to a pipe,
// so the event loop can wait on the pipe beside the display's connection and
// end the run cleanly. A run waiting on an X server that does not answer (one
// that is stopped, or that never answers its connection) cannot get there, so
// the first signal also starts a grace period: a process still running when
// it is over ends at once, with status 0. One instance per process.
#pragma once

namespace roamlets::saver {

class EndSignals {
 public:
  // How long a process has to end by itself once a signal has arrived.
  static constexpr long kGraceMs = 150;

  EndSignals() = default;
  EndSignals(const EndSignals&) = delete;
  EndSignals& operator=(const EndSignals&) = delete;
  // Puts the previous handlers back and closes the pipe.
  ~EndSignals();

  // Makes the pipe and the grace timer and installs the handlers; false when
  // that fails.
  bool install();

  // The pipe's read end, readable once a signal has arrived.
  int fd() const { return read_fd_; }

  // The first signal that arrived, or 0.
  int received() const;

 private:
  int read_fd_ = -1;
  bool installed_ = false;
};

}  // namespace roamlets::saver
