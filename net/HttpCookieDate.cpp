#include "net/HttpCookieDate.h"

#include <array>

#include "platform/AsciiText.h"
#include "platform/CalendarTime.h"

namespace quarlen {

namespace {

// Servers write cookie dates in every historic format, so the text is read as
// tokens (time, day, month, year in any order), the way browsers settled on.
bool IsDelimiter(unsigned char c) {
  return c == 0x09 || (c >= 0x20 && c <= 0x2F) || (c >= 0x3B && c <= 0x40) || (c >= 0x5B && c <= 0x60) ||
         (c >= 0x7B && c <= 0x7E);
}

// Reads 1 to maxDigits digits at the front (at least minDigits); what follows
// must not be a digit.
bool LeadingNumber(std::string_view& token, std::size_t minDigits, std::size_t maxDigits, int& value) {
  std::size_t n = 0;
  value = 0;
  while (n < token.size() && IsAsciiDigit(token[n])) {
    if (++n > maxDigits) return false;
    value = value * 10 + (token[n - 1] - '0');
  }
  if (n < minDigits) return false;
  token.remove_prefix(n);
  return true;
}

bool Time(std::string_view token, int& hour, int& minute, int& second) {
  if (!LeadingNumber(token, 1, 2, hour) || token.empty() || token.front() != ':') return false;
  token.remove_prefix(1);
  if (!LeadingNumber(token, 1, 2, minute) || token.empty() || token.front() != ':') return false;
  token.remove_prefix(1);
  return LeadingNumber(token, 1, 2, second);
}

int Month(std::string_view token) {
  static constexpr std::array<const char*, 12> Names = {"jan", "feb", "mar", "apr", "may", "jun",
                                                        "jul", "aug", "sep", "oct", "nov", "dec"};
  if (token.size() < 3) return 0;
  for (std::size_t m = 0; m < Names.size(); ++m) {
    if (EqualsIgnoringAsciiCase(token.substr(0, 3), Names[m])) return static_cast<int>(m) + 1;
  }
  return 0;
}

}  // namespace

std::optional<std::time_t> ParseCookieDate(std::string_view text) {
  bool haveTime = false, haveDay = false, haveMonth = false, haveYear = false;
  int hour = 0, minute = 0, second = 0, day = 0, month = 0, year = 0;
  std::size_t at = 0;
  while (at < text.size()) {
    while (at < text.size() && IsDelimiter(static_cast<unsigned char>(text[at]))) ++at;
    std::size_t end = at;
    while (end < text.size() && !IsDelimiter(static_cast<unsigned char>(text[end]))) ++end;
    const std::string_view token = text.substr(at, end - at);
    at = end;
    if (token.empty()) continue;
    std::string_view rest = token;
    int number = 0;
    if (!haveTime && Time(token, hour, minute, second)) {
      haveTime = true;
    } else if (!haveDay && LeadingNumber(rest = token, 1, 2, number)) {
      haveDay = true;
      day = number;
    } else if (!haveMonth && Month(token) != 0) {
      haveMonth = true;
      month = Month(token);
    } else if (!haveYear && LeadingNumber(rest = token, 2, 4, number)) {
      haveYear = true;
      year = number;
    }
  }
  if (year >= 70 && year <= 99) year += 1900;
  if (year >= 0 && year <= 69) year += 2000;
  if (!haveTime || !haveDay || !haveMonth || !haveYear || day < 1 || day > 31 || year < 1601 || hour > 23 ||
      minute > 59 || second > 59) {
    return std::nullopt;
  }
  std::tm parts{};
  parts.tm_year = year - 1900;
  parts.tm_mon = month - 1;
  parts.tm_mday = day;
  parts.tm_hour = hour;
  parts.tm_min = minute;
  parts.tm_sec = second;
  return UtcTimeFromCalendar(parts);
}

}  // namespace quarlen
