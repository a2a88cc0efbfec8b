#include "platform/CalendarTime.h"

namespace quarlen {

std::tm LocalCalendarTime(std::time_t t) {
  std::tm local{};
  ::localtime_r(&t, &local);
  return local;
}

std::time_t UtcTimeFromCalendar(std::tm parts) { return ::timegm(&parts); }

}  // namespace quarlen
