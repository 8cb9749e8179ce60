#include "tools/progress_line.h"

#include <unistd.h>

namespace roamlets {
namespace {

constexpr std::chrono::milliseconds kInterval{100};

}  // namespace

ProgressLine::ProgressLine(std::FILE* stream, const char* tool)
    : stream_(stream), tool_(tool), on_(::isatty(::fileno(stream)) == 1) {}

void ProgressLine::show(const char* what, std::uint64_t done, std::uint64_t total) {
  if (!on_) return;
  const auto now = std::chrono::steady_clock::now();
  if (width_ > 0 && now - last_ < kInterval) return;
  last_ = now;
  char text[160];
  std::snprintf(text, sizeof text, "%s: %s %llu of %llu", tool_, what, static_cast<unsigned long long>(done),
                static_cast<unsigned long long>(total));
  // Padded over what is left of a longer line before.
  const int width = std::fprintf(stream_, "\r%-*s", width_, text) - 1;
  if (width > width_) width_ = width;
  std::fflush(stream_);
}

void ProgressLine::clear() {
  if (!on_ || width_ == 0) return;
  std::fprintf(stream_, "\r%*s\r", width_, "");
  std::fflush(stream_);
  width_ = 0;
}

}  // namespace roamlets
