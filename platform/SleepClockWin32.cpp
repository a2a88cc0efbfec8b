#include <windows.h>

#include "platform/SleepClock.h"

namespace quarlen {

ClockReading ReadSystemClocks() {
  // The tick count goes on while the machine sleeps; the unbiased interrupt
  // time (100 ns units) leaves the time asleep out.
  ULONGLONG unbiased = 0;
  ::QueryUnbiasedInterruptTime(&unbiased);
  return {std::chrono::milliseconds(static_cast<long long>(::GetTickCount64())),
          std::chrono::milliseconds(static_cast<long long>(unbiased / 10000))};
}

}  // namespace quarlen
