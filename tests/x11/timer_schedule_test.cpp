// The two periodic timers of a run: their order, their periods, and what a
// loop that falls behind gets.
#include "x11/timer_schedule.h"

#include <gtest/gtest.h>

#include <string>

namespace roamlets::saver {
namespace {

// Runs the loop's timer handling at each of `times` and records the timers
// delivered: F for a frame, T for a tick.
std::string deliveries(TimerSchedule& timers, std::initializer_list<std::int64_t> times) {
  std::string out;
  for (const std::int64_t now : times) {
    while (const std::optional<Timer> due = timers.take_due(now)) out += *due == Timer::Frame ? 'F' : 'T';
    out += '|';
  }
  return out;
}

TEST(TimerSchedule, NothingRunsUntilStarted) {
  TimerSchedule timers;
  EXPECT_FALSE(timers.wait(0).has_value());
  EXPECT_FALSE(timers.take_due(1'000'000).has_value());
}

TEST(TimerSchedule, EachTimerFiresOncePerPeriodFrameFirstOnATie) {
  TimerSchedule timers;
  timers.start(Timer::Frame, 1000, 33);
  timers.start(Timer::Tick, 1000, 33);
  EXPECT_EQ(timers.wait(1000), 33);
  EXPECT_EQ(timers.wait(1020), 13);
  EXPECT_EQ(deliveries(timers, {1032, 1033, 1050, 1066, 1099}), "|FT||FT|FT|");
  EXPECT_EQ(timers.wait(1099), 33);
}

TEST(TimerSchedule, TheEarlierDeadlineGoesFirstWhateverTheOrderOfStarting) {
  TimerSchedule timers;
  timers.start(Timer::Frame, 10, 33);  // due at 43, 76, ...
  timers.start(Timer::Tick, 0, 33);    // due at 33, 66, ...
  EXPECT_EQ(deliveries(timers, {33, 43, 80}), "T|F|TF|");
  EXPECT_EQ(timers.wait(80), 19);  // the tick at 99
}

TEST(TimerSchedule, ALateLoopGetsOneDeliveryNotABurst) {
  TimerSchedule timers;
  timers.start(Timer::Tick, 0, 33);
  // Ten periods late: one tick, then the next a whole period later.
  EXPECT_EQ(deliveries(timers, {330, 340, 362, 363}), "T|||T|");
  // Late by less than a period: the schedule keeps its phase.
  EXPECT_EQ(deliveries(timers, {400}), "T|");
  EXPECT_EQ(timers.wait(400), 29);
}

TEST(TimerSchedule, RestartingMovesTheDeadlineAndAPeriodBelowOneCountsAsOne) {
  TimerSchedule timers;
  timers.start(Timer::Frame, 0, 33);
  timers.start(Timer::Frame, 20, 33);
  EXPECT_EQ(deliveries(timers, {33, 53}), "|F|");

  TimerSchedule fast;
  fast.start(Timer::Tick, 0, 0);
  EXPECT_EQ(fast.wait(0), 1);
  EXPECT_EQ(deliveries(fast, {1, 1, 2}), "T||T|");
}

}  // namespace
}  // namespace roamlets::saver
