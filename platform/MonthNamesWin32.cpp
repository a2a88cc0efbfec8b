#include <windows.h>

#include <array>

#include "platform/MonthNames.h"
#include "platform/WideText.h"

namespace quarlen {

std::string LocalShortMonthName(int month) {
  static constexpr std::array<const char*, 12> English{"Jan", "Feb", "Mar", "Apr", "May", "Jun",
                                                       "Jul", "Aug", "Sep", "Oct", "Nov", "Dec"};
  wchar_t name[80] = {};
  const int length = ::GetLocaleInfoEx(LOCALE_NAME_USER_DEFAULT, LOCALE_SABBREVMONTHNAME1 + (month - 1), name, 80);
  if (length <= 1) return English[month - 1];
  return Utf8FromWide(std::wstring_view(name, static_cast<std::size_t>(length - 1)));
}

}  // namespace quarlen
