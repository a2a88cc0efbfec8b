#include "platform/SleepClock.h"

#include <time.h>

namespace quarlen {

namespace {

std::chrono::nanoseconds Reading(clockid_t clock) {
  timespec now{};
  if (::clock_gettime(clock, &now) != 0) return {};
  return std::chrono::seconds(now.tv_sec) + std::chrono::nanoseconds(now.tv_nsec);
}

}  // namespace

std::chrono::milliseconds TimeAsleep() {
#ifdef CLOCK_BOOTTIME
  // Read the monotonic clock second: it can only make the difference smaller,
  // never invent a sleep.
  const auto boot = Reading(CLOCK_BOOTTIME);
  const auto monotonic = Reading(CLOCK_MONOTONIC);
  if (boot <= monotonic) return {};
  return std::chrono::duration_cast<std::chrono::milliseconds>(boot - monotonic);
#else
  return {};
#endif
}

}  // namespace quarlen
