// Two periodic timers on one clock, delivered by one event loop as a window
// system delivers its timer messages: each fires at most once per period, a
// loop that falls behind gets one late delivery rather than a burst, and one
// delivery is handled before the next is taken, so two never overlap.
#pragma once

#include <array>
#include <cstdint>
#include <optional>

namespace roamlets::saver {

// A saver run's two timers: the frame timer starts first, then the tick timer.
enum class Timer { Frame = 0, Tick = 1 };

class TimerSchedule {
 public:
  // Starts (or restarts) `timer`: it is first due one period after `now`.
  // Times are milliseconds on a monotonic clock.
  void start(Timer timer, std::int64_t now, std::int64_t period);

  // Milliseconds from `now` until the next timer is due, 0 when one is due
  // already; nothing when no timer runs.
  std::optional<std::int64_t> wait(std::int64_t now) const;

  // The due timer with the earliest deadline (the one started first on a
  // tie), now set to its next deadline; nothing when none is due. The next
  // deadline is one period after the last one, or one period after `now`
  // when the loop has fallen a whole period behind.
  std::optional<Timer> take_due(std::int64_t now);

 private:
  struct Entry {
    bool running = false;
    std::int64_t due = 0;
    std::int64_t period = 0;
    std::uint64_t order = 0;  // when it was started, for ties
  };
  std::array<Entry, 2> entries_{};
  std::uint64_t starts_ = 0;
};

}  // namespace roamlets::saver
