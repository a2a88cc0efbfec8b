#include "platform/CalendarTime.h"

namespace quarlen {

std::tm LocalCalendarTime(std::time_t t) {
  std::tm local{};
  ::localtime_s(&local, &t);
  return local;
}

std::time_t UtcTimeFromCalendar(std::tm parts) { return ::_mkgmtime(&parts); }

}  // namespace quarlen
