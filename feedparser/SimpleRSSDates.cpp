#include "feedparser/SimpleRSSDates.h"
#include "platform/CalendarTime.h"
#include "platform/MonthNames.h"

#include <algorithm>
#include <array>
#include <charconv>
#include <chrono>
#include <cmath>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <ctime>

namespace quarlen {

namespace {

constexpr double SecondsPerDay = 86400.0;
constexpr long long MillisecondsPerDay = 86400000LL;

// Days from 1970-01-01 of a proleptic Gregorian date (H. Hinnant's algorithm).
long long DaysFromCivil(long long y, unsigned m, unsigned d) {
  y -= m <= 2;
  const long long era = (y >= 0 ? y : y - 399) / 400;
  const unsigned yoe = static_cast<unsigned>(y - era * 400);
  const unsigned doy = (153 * (m + (m > 2 ? -3 : 9)) + 2) / 5 + d - 1;
  const unsigned doe = yoe * 365 + yoe / 4 - yoe / 100 + doy;
  return era * 146097 + static_cast<long long>(doe) - 719468;
}

void CivilFromDays(long long z, int& year, int& month, int& day) {
  z += 719468;
  const long long era = (z >= 0 ? z : z - 146096) / 146097;
  const unsigned doe = static_cast<unsigned>(z - era * 146097);
  const unsigned yoe = (doe - doe / 1460 + doe / 36524 - doe / 146096) / 365;
  const long long y = static_cast<long long>(yoe) + era * 400;
  const unsigned doy = doe - (365 * yoe + yoe / 4 - yoe / 100);
  const unsigned mp = (5 * doy + 2) / 153;
  day = static_cast<int>(doy - (153 * mp + 2) / 5 + 1);
  month = static_cast<int>(mp < 10 ? mp + 3 : mp - 9);
  year = static_cast<int>(y + (month <= 2));
}

const long long EpochOffset = DaysFromCivil(1899, 12, 30);

bool IsLeapYear(int year) { return (year % 4 == 0 && year % 100 != 0) || year % 400 == 0; }

int DaysInMonth(int year, int month) {
  static constexpr std::array<int, 12> Days{31, 28, 31, 30, 31, 30, 31, 31, 30, 31, 30, 31};
  return month == 2 && IsLeapYear(year) ? 29 : Days[month - 1];
}

bool TryEncodeDate(int year, int month, int day, TDateTime& result) {
  if (year < 1 || year > 9999 || month < 1 || month > 12 || day < 1 || day > DaysInMonth(year, month)) return false;
  result = static_cast<double>(DaysFromCivil(year, month, day) - EpochOffset);
  return true;
}

bool TryEncodeTime(int hour, int minute, int second, TDateTime& result) {
  if (hour < 0 || hour > 23 || minute < 0 || minute > 59 || second < 0 || second > 59) return false;
  result = (hour * 3600 + minute * 60 + second) / SecondsPerDay;
  return true;
}

// Days before 1899-12-30 carry the time of day with the sign of the date, so
// the fraction's absolute value is always the clock time.
TDateTime ComposeDateTime(TDateTime date, TDateTime time) { return date < 0 ? date - time : date + time; }

// Feed text is trimmed of blanks and control characters alike.
bool IsTrimmed(char c) { return static_cast<unsigned char>(c) <= ' '; }

std::string_view TrimLeft(std::string_view s) {
  while (!s.empty() && IsTrimmed(s.front())) s.remove_prefix(1);
  return s;
}

std::string_view Trim(std::string_view s) {
  s = TrimLeft(s);
  while (!s.empty() && IsTrimmed(s.back())) s.remove_suffix(1);
  return s;
}

// The text before the first separator; it and the separator leave `rest`.
// Without a separator the whole rest is the token.
std::string_view TakeToken(std::string_view& rest, char separator) {
  const auto pos = rest.find(separator);
  std::string_view token = rest.substr(0, pos);
  rest = pos == std::string_view::npos ? std::string_view{} : rest.substr(pos + 1);
  return token;
}

std::string_view PeekToken(std::string_view rest, char separator) { return TakeToken(rest, separator); }

// A whole decimal integer with an optional sign and leading blanks; anything
// else, or a value beyond 32 bits, gives `fallback`.
long long ToInteger(std::string_view s, long long fallback) {
  while (!s.empty() && s.front() == ' ') s.remove_prefix(1);
  if (s.size() > 1 && s.front() == '+' && s[1] != '-') s.remove_prefix(1);
  if (s.empty()) return fallback;
  long long value = 0;
  const auto [end, ec] = std::from_chars(s.data(), s.data() + s.size(), value);
  if (ec != std::errc{} || end != s.data() + s.size()) return fallback;
  if (value < INT32_MIN || value > INT32_MAX) return fallback;
  return value;
}

char Upper(char c) { return c >= 'a' && c <= 'z' ? static_cast<char>(c - 'a' + 'A') : c; }

bool EqualsNoCase(std::string_view a, std::string_view b) {
  if (a.size() != b.size()) return false;
  for (std::size_t i = 0; i < a.size(); ++i)
    if (Upper(a[i]) != Upper(b[i])) return false;
  return true;
}

constexpr std::array<std::string_view, 12> RfcMonthNames{"JAN", "FEB", "MAR", "APR", "MAY", "JUN",
                                                         "JUL", "AUG", "SEP", "OCT", "NOV", "DEC"};
constexpr std::array<std::string_view, 7> RfcDayNames{"SUN", "MON", "TUE", "WED", "THU", "FRI", "SAT"};

// 1..12, or 0 when the token is not exactly a three-letter month name.
int MonthFromName(std::string_view token) {
  for (std::size_t i = 0; i < RfcMonthNames.size(); ++i)
    if (EqualsNoCase(token, RfcMonthNames[i])) return static_cast<int>(i) + 1;
  return 0;
}

bool StartsWithDayName(std::string_view s) {
  if (s.size() < 3) return false;
  for (auto name : RfcDayNames)
    if (EqualsNoCase(s.substr(0, 3), name)) return true;
  return false;
}

// The length in bytes of the first `count` UTF-8 characters of text.
std::size_t Utf8Prefix(std::string_view text, std::size_t count) {
  std::size_t i = 0;
  for (std::size_t k = 0; k < count && i < text.size(); ++k) {
    ++i;
    while (i < text.size() && (static_cast<unsigned char>(text[i]) & 0xC0) == 0x80) ++i;
  }
  return i;
}

// A date field goes into an unsigned 16-bit slot; anything outside is refused
// rather than wrapped into some other date.
int DateField(std::string_view token) {
  const long long value = ToInteger(token, 0);
  if (value < 0 || value > 65535) throw TDateRangeError("Date field out of range: " + std::to_string(value));
  return static_cast<int>(value);
}

}  // namespace

bool TryEncodeDateTime(int year, int month, int day, int hour, int minute, int second, TDateTime& result) {
  TDateTime date = 0;
  TDateTime time = 0;
  if (!TryEncodeDate(year, month, day, date) || !TryEncodeTime(hour, minute, second, time)) return false;
  result = ComposeDateTime(date, time);
  return true;
}

TDateTimeParts DecodeDateTime(TDateTime value) {
  TDateTimeParts parts;
  if (!std::isfinite(value) || std::fabs(value) > 3.0e6) return parts;
  double whole = std::trunc(value);
  long long ms = std::llround(std::fabs(value - whole) * MillisecondsPerDay);
  // Rounding to the millisecond can reach the next midnight.
  if (ms >= MillisecondsPerDay) {
    ms -= MillisecondsPerDay;
    whole += value < 0 ? -1 : 1;
  }
  CivilFromDays(static_cast<long long>(whole) + EpochOffset, parts.year, parts.month, parts.day);
  const long long seconds = (ms + 500) / 1000;
  parts.hour = static_cast<int>(seconds / 3600);
  parts.minute = static_cast<int>(seconds / 60 % 60);
  parts.second = static_cast<int>(seconds % 60);
  if (parts.hour > 23) {  // 23:59:59.5 and later rounds up to 24:00:00
    parts.hour = 23;
    parts.minute = 59;
    parts.second = 59;
  }
  return parts;
}

std::string DateTimeIsoText(TDateTime value) {
  const TDateTimeParts p = DecodeDateTime(value);
  char buffer[40];
  std::snprintf(buffer, sizeof buffer, "%04d-%02d-%02dT%02d:%02d:%02d", p.year, p.month, p.day, p.hour, p.minute,
                p.second);
  return buffer;
}

TDateTime NowDateTime() {
  using namespace std::chrono;
  const auto now = system_clock::now();
  const std::time_t t = system_clock::to_time_t(now);
  const std::tm local = LocalCalendarTime(t);
  const auto ms = duration_cast<milliseconds>(now.time_since_epoch()).count() % 1000;
  TDateTime result = 0;
  TryEncodeDateTime(local.tm_year + 1900, local.tm_mon + 1, local.tm_mday, local.tm_hour, local.tm_min,
                    std::min(local.tm_sec, 59), result);
  return result + static_cast<double>(ms) / MillisecondsPerDay;
}

TRFC822DateTime::TRFC822DateTime() : dateTime_(NowDateTime()) {}

void TRFC822DateTime::ParseRFC822Date(std::string_view text) {
  std::string_view rest = Trim(text);
  dateTime_ = 0;
  if (rest.empty()) return;

  if (StartsWithDayName(rest)) {
    const auto blank = rest.find(' ');
    if (blank != std::string_view::npos) rest = TrimLeft(rest.substr(blank + 1));
  }

  const auto dash = rest.find('-');
  const auto blank = rest.find(' ');
  char separator = ' ';
  if (dash != std::string_view::npos && dash != 0 && blank != std::string_view::npos && dash < blank) separator = '-';

  auto readDay = [&] {
    const int day = static_cast<int>(ToInteger(TakeToken(rest, separator), 1));
    rest = TrimLeft(rest);
    return day;
  };
  auto readMonth = [&] {
    const int month = MonthFromName(TakeToken(rest, separator));
    rest = TrimLeft(rest);
    return month;
  };
  int day = 0;
  int month = 0;
  if (MonthFromName(PeekToken(rest, separator)) != 0) {
    month = readMonth();
    day = readDay();
  } else {
    day = readDay();
    month = readMonth();
  }

  const std::string_view yearToken = TakeToken(rest, ' ');
  long long year = ToInteger(yearToken, 1900);
  if (year == 1900) {
    // asctime order: the time came where the year should be.
    year = ToInteger(rest, 1900);
    rest = yearToken;
  }
  if (year >= 0 && year <= 79)
    year += 2000;
  else if (year >= 80 && year <= 99)
    year += 1900;

  TDateTime date = 0;
  if (!TryEncodeDate(static_cast<int>(year), month, day, date)) return;

  TDateTime time = 0;
  if (rest.find(':') != std::string_view::npos) {
    std::string_view clock = TakeToken(rest, ' ');
    const long long hour = ToInteger(TakeToken(clock, ':'), 0);
    const long long minute = ToInteger(TakeToken(clock, ':'), 0);
    const long long second = ToInteger(TakeToken(clock, ':'), 0);
    if (!TryEncodeTime(static_cast<int>(hour), static_cast<int>(minute), static_cast<int>(second), time)) return;
  }
  // The zone that follows is deliberately ignored: no offset is applied.
  dateTime_ = ComposeDateTime(date, time);
}

void TRFC822DateTime::ParseISO8601Date(std::string_view text) {
  std::string_view rest = text;

  // A sign in front of the year belongs to the number, so "-1-05-03" reads
  // the year -1 (and is refused) instead of an empty year.
  std::string_view yearToken;
  if (!rest.empty() && (rest.front() == '-' || rest.front() == '+')) {
    std::string_view unsignedRest = rest.substr(1);
    const std::string_view digits = TakeToken(unsignedRest, '-');
    yearToken = rest.substr(0, digits.size() + 1);
    rest = unsignedRest;
  } else {
    yearToken = TakeToken(rest, '-');
  }
  const int year = DateField(yearToken);
  const int month = rest.empty() ? 0 : DateField(TakeToken(rest, '-'));
  const int day = rest.empty() ? 0 : DateField(TakeToken(rest, 'T'));
  const int hour = rest.empty() ? 0 : DateField(TakeToken(rest, ':'));
  const int minute = rest.empty() ? 0 : DateField(TakeToken(rest, ':'));
  int second = 0;
  if (!rest.empty()) {
    // Two characters, not two bytes: cutting a UTF-8 sequence in half would
    // leave a zone text that is no longer UTF-8.
    const std::size_t length = Utf8Prefix(rest, 2);
    second = DateField(rest.substr(0, length));
    rest.remove_prefix(length);
  }
  if (!rest.empty()) timeZone_ = std::string(rest);

  TDateTime value = 0;
  dateTime_ = TryEncodeDateTime(year, month, day, hour, minute, second, value) ? value : NowDateTime();
}

std::string TRFC822DateTime::DateText() const {
  const TDateTimeParts p = DecodeDateTime(dateTime_);
  char tail[32];
  std::snprintf(tail, sizeof tail, " %d %04d", p.day, p.year);
  return LocalShortMonthName(p.month) + tail;
}

}  // namespace quarlen
