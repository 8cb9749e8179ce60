#include "x11/timer_schedule.h"

#include <algorithm>

namespace roamlets::saver {

void TimerSchedule::start(Timer timer, std::int64_t now, std::int64_t period) {
  Entry& entry = entries_[static_cast<std::size_t>(timer)];
  entry.running = true;
  entry.period = std::max<std::int64_t>(period, 1);
  entry.due = now + entry.period;
  entry.order = starts_++;
}

std::optional<std::int64_t> TimerSchedule::wait(std::int64_t now) const {
  std::optional<std::int64_t> soonest;
  for (const Entry& entry : entries_) {
    if (!entry.running) continue;
    const std::int64_t left = std::max<std::int64_t>(entry.due - now, 0);
    soonest = soonest ? std::min(*soonest, left) : left;
  }
  return soonest;
}

std::optional<Timer> TimerSchedule::take_due(std::int64_t now) {
  Entry* next = nullptr;
  std::size_t index = 0;
  for (std::size_t i = 0; i < entries_.size(); ++i) {
    Entry& entry = entries_[i];
    if (!entry.running || entry.due > now) continue;
    if (next == nullptr || entry.due < next->due || (entry.due == next->due && entry.order < next->order)) {
      next = &entry;
      index = i;
    }
  }
  if (next == nullptr) return std::nullopt;
  next->due += next->period;
  if (next->due <= now) next->due = now + next->period;
  return static_cast<Timer>(index);
}

}  // namespace roamlets::saver
