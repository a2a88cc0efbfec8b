#pragma once
// The date of a cookie's "Expires" attribute, read the lenient way browsers do.
#include <ctime>
#include <optional>
#include <string_view>

namespace quarlen {

// Seconds since 1970 (UTC) of a cookie date such as "Wed, 09 Jun 2038 10:18:14 GMT",
// "Wednesday, 09-Jun-38 10:18:14 GMT" or "Wed Jun  9 10:18:14 2038"; nullopt when
// the text lacks a time, day, month or year or one of them is out of range.
std::optional<std::time_t> ParseCookieDate(std::string_view text);

}  // namespace quarlen
