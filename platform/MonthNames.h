#pragma once
// The month names of the user's locale.
#include <string>

namespace quarlen {

// The short name (1 = January) of the user's time locale in UTF-8: on Linux
// from LC_ALL, LC_TIME or LANG, on Windows from the user's default locale;
// the English name ("Jan") when the locale has none.
std::string LocalShortMonthName(int month);

}  // namespace quarlen
