#include "platform/SleepClock.h"

#include <gtest/gtest.h>

#include <vector>

namespace quarlen {
namespace {

using std::chrono::milliseconds;

TEST(SleepClockTest, ASleepIsTheBootClockRunningAhead) {
  struct Step {
    long boot, monotonic;  // ms on each clock
    bool slept;
  };
  const std::vector<Step> steps = {
      {4000, 4000, false},     // both clocks go on together
      {5000, 4990, false},     // a slow read between the two is no sleep
      {605000, 8990, true},    // ten minutes asleep between two looks
      {609000, 12990, false},  // awake again: the gap stays where it is
      {612000, 14000, false},  // under the threshold
      {620000, 14500, true},
  };
  std::size_t at = 0;
  SleepClock clock([&] { return ClockReading{milliseconds(steps[at].boot), milliseconds(steps[at].monotonic)}; });
  for (at = 0; at < steps.size(); ++at) EXPECT_EQ(clock.Slept(), steps[at].slept) << "step " << at;
}

TEST(SleepClockTest, NoSleepWhileTheTestRuns) {
  SleepClock clock;
  EXPECT_FALSE(clock.Slept());
}

}  // namespace
}  // namespace quarlen
