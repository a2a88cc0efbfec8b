#include "platform/SleepClock.h"

#include <utility>

namespace quarlen {

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
