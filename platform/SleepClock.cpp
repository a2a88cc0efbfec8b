#include "platform/SleepClock.h"

#include <utility>

namespace quarlen {

std::chrono::milliseconds TimeAsleep() {
  const ClockReading now = ReadSystemClocks();
  // Never below zero: the two clocks are read one after the other.
  return now.boot > now.monotonic ? now.boot - now.monotonic : std::chrono::milliseconds(0);
}

SleepClock::SleepClock(Clocks clocks, std::chrono::milliseconds threshold)
    : clocks_(std::move(clocks)), threshold_(threshold) {
  const ClockReading now = clocks_();
  gap_ = now.boot - now.monotonic;
}

bool SleepClock::Slept() {
  // The two clocks drift apart only while the machine is suspended; the
  // threshold keeps a slow read between the two calls from counting.
  const ClockReading now = clocks_();
  const std::chrono::milliseconds gap = now.boot - now.monotonic;
  const bool slept = gap - gap_ > threshold_;
  gap_ = gap;
  return slept;
}

}  // namespace quarlen
