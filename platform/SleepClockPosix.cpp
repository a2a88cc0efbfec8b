#include <time.h>

#include "platform/SleepClock.h"

namespace quarlen {

namespace {

std::chrono::milliseconds Read(clockid_t clock) {
  timespec now{};
  ::clock_gettime(clock, &now);
  return std::chrono::seconds(now.tv_sec) +
         std::chrono::duration_cast<std::chrono::milliseconds>(std::chrono::nanoseconds(now.tv_nsec));
}

}  // namespace

ClockReading ReadSystemClocks() {
#ifdef CLOCK_BOOTTIME
  return {Read(CLOCK_BOOTTIME), Read(CLOCK_MONOTONIC)};
#else
  // Without a clock that counts sleep no sleep is ever seen: the refresh
  // timer alone then runs the refreshes, as it always did.
  const std::chrono::milliseconds now = Read(CLOCK_MONOTONIC);
  return {now, now};
#endif
}

}  // namespace quarlen
