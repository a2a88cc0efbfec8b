#pragma once
// Calendar time of the C library, the same way on every system.
#include <ctime>

namespace quarlen {

// The local calendar time of t in the user's time zone.
std::tm LocalCalendarTime(std::time_t t);

// The time of a calendar time read as UTC (the inverse of gmtime).
std::time_t UtcTimeFromCalendar(std::tm parts);

}  // namespace quarlen
