// How far a long run has come, as one line on standard error that is
// rewritten in place; only when standard error is a terminal, so that logs
// and pipes get none of it.
#pragma once

#include <chrono>
#include <cstdint>
#include <cstdio>

namespace roamlets {

class ProgressLine {
 public:
  // Shows on `stream` when it is a terminal, with `tool` in front.
  ProgressLine(std::FILE* stream, const char* tool);
  ~ProgressLine() { clear(); }
  ProgressLine(const ProgressLine&) = delete;
  ProgressLine& operator=(const ProgressLine&) = delete;

  // "<tool>: <what> <done> of <total>": the first time at once, then at most
  // ten times a second.
  void show(const char* what, std::uint64_t done, std::uint64_t total);

  // Blanks the line, so that what comes next starts on a clean one.
  void clear();

 private:
  std::FILE* stream_;
  const char* tool_;
  bool on_;
  int width_ = 0;  // of the line on the terminal now
  std::chrono::steady_clock::time_point last_{};
};

}  // namespace roamlets
