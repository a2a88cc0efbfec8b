#pragma once
// How long the machine has been suspended since it started: a monotonic
// clock stops while the machine sleeps, the boot clock runs on. Two readings
// apart tell whether a sleep fell between them.
#include <chrono>

namespace quarlen {

// The time spent asleep since boot (zero where the system cannot tell).
std::chrono::milliseconds TimeAsleep();

}  // namespace quarlen
