// The saver window: a full-screen or preview run's window, its message loop,
// and the routing of its messages.
#pragma once

#include <cstdint>

#include "saver/platform.h"

namespace roamlets::saver {

inline constexpr const char* kSaverClassName = "WindowsScreenSaverClass";
inline constexpr const char* kFullScreenTitle = "Screen Saver";
inline constexpr const char* kPreviewTitle = "Preview";

// Window styles of the two kinds of run.
inline constexpr std::uint32_t kFullScreenStyle = 0x96000000u;  // popup, visible, clip siblings and children
inline constexpr std::uint32_t kFullScreenExStyle = 0x00000008u;  // topmost
inline constexpr std::uint32_t kPreviewStyle = 0x52000000u;  // child, visible, clip children

// The program's procedure of the saver window, next in the chain after the
// host's routing: the scene's own handling, which hands what it does not
// handle to default_saver_proc.
class SaverProcedure {
 public:
  virtual ~SaverProcedure() = default;
  virtual LResult handle(const Message& message) = 0;
};

// Runs a full-screen saver when `parent` is 0, a preview inside `parent`
// otherwise, until its window is destroyed. Returns the exit code: 0 after a
// normal end, and 0 at once when another full-screen saver already runs.
int run_saver(Host& host, Window parent);

// The saver window's procedure: filters and routes each message, handing on
// to `next` what it does not consume.
LResult saver_window_proc(Host& host, SaverProcedure& next, const Message& message);

}  // namespace roamlets::saver
