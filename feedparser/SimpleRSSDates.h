#pragma once

#include <stdexcept>
#include <string>
#include <string_view>
#include <utility>
#include "feedparser/FeedError.h"

namespace quarlen {

// A point in time as days since 1899-12-30; the fraction is the time of day.
// Before that day the whole part counts days back and the fraction's absolute
// value is still the time of day (-1.25 is 1899-12-29 06:00).
using TDateTime = double;

// The parts of a TDateTime, milliseconds rounded into seconds.
struct TDateTimeParts {
  int year = 1899;
  int month = 12;
  int day = 30;
  int hour = 0;
  int minute = 0;
  int second = 0;
};

// A date field of a feed outside 0..65535; ends the reader's run.
class TDateRangeError : public TFeedError {
 public:
  using TFeedError::TFeedError;
};

// Builds a TDateTime from calendar parts; false when they form no valid date
// (years 1..9999) or time of day (0:00:00 to 23:59:59).
bool TryEncodeDateTime(int year, int month, int day, int hour, int minute, int second, TDateTime& result);

// Splits a TDateTime into its calendar parts.
TDateTimeParts DecodeDateTime(TDateTime value);

// The value as "YYYY-MM-DDTHH:MM:SS" (0 gives "1899-12-30T00:00:00").
std::string DateTimeIsoText(TDateTime value);

// The current local date and time.
TDateTime NowDateTime();

// A feed date: the clock time written in the feed plus the text of its zone.
// Neither parser converts to local time or to UTC.
class TRFC822DateTime {
 public:
  // Now (local time), zone "GMT".
  TRFC822DateTime();

  TDateTime DateTime() const { return dateTime_; }
  void SetDateTime(TDateTime value) { dateTime_ = value; }
  const std::string& TimeZone() const { return timeZone_; }
  void SetTimeZone(std::string value) { timeZone_ = std::move(value); }

  // Reads "Sun, 06 Nov 1994 08:49:37 GMT", "06-Nov-94 ..." or the asctime
  // order; never fails: unreadable text gives DateTime 0. TimeZone is kept.
  void ParseRFC822Date(std::string_view text);

  // Reads "2005-05-03T18:14:20+02:00"; what follows the seconds becomes
  // TimeZone. Fields that form no valid date give the current local time;
  // a field outside 0..65535 throws TDateRangeError.
  void ParseISO8601Date(std::string_view text);

  // DateTime as "mmm d yyyy" with the short month name of the user's LC_TIME
  // locale (UTF-8), for example "May 3 2005".
  std::string DateText() const;

 private:
  TDateTime dateTime_;
  std::string timeZone_ = "GMT";
};

}  // namespace quarlen
