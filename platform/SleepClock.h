#pragma once
// Tells that the machine slept: the boot-time clock goes on during a sleep,
// the monotonic clock stands still, so the first runs ahead of the second.
#include <chrono>
#include <functional>

namespace quarlen {

// Both clocks read at one moment.
struct ClockReading {
  std::chrono::milliseconds boot;       // counts time asleep
  std::chrono::milliseconds monotonic;  // does not
};

// The system's clocks: CLOCK_BOOTTIME and CLOCK_MONOTONIC; on Windows the
// tick count and the unbiased interrupt time. Never fails.
ClockReading ReadSystemClocks();

// The time spent asleep since boot, from the system's clocks (zero where the
// system cannot tell); two readings apart tell whether a sleep fell between them.
std::chrono::milliseconds TimeAsleep();

class SleepClock {
 public:
  using Clocks = std::function<ClockReading()>;
  // A gain of the boot clock over the monotonic one above threshold counts as a sleep.
  explicit SleepClock(Clocks clocks = ReadSystemClocks,
                      std::chrono::milliseconds threshold = std::chrono::milliseconds(3000));

  // True when the machine slept since the last call (or since construction).
  bool Slept();
  // Now, on the clock that counts time asleep.
  std::chrono::milliseconds Now() const { return clocks_().boot; }

 private:
  Clocks clocks_;
  std::chrono::milliseconds threshold_;
  std::chrono::milliseconds gap_;  // boot minus monotonic at the last look
};

}  // namespace quarlen
