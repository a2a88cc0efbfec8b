#include "platform/SleepClock.h"

#include <windows.h>

#include <cstdint>

namespace quarlen {

std::chrono::milliseconds TimeAsleep() {
  // The unbiased interrupt time leaves out sleep and hibernation; the tick
  // count does not. Unbiased first, so the difference never comes out short
  // of zero by our own delay.
  ULONGLONG unbiased = 0;  // in 100 ns units
  if (!::QueryUnbiasedInterruptTime(&unbiased)) return {};
  const std::uint64_t ticks = ::GetTickCount64();
  const std::uint64_t awake = unbiased / 10000;
  if (ticks <= awake) return {};
  return std::chrono::milliseconds(ticks - awake);
}

}  // namespace quarlen
