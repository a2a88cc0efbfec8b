#include <iconv.h>
#include <langinfo.h>
#include <locale.h>

#include <array>
#include <bit>
#include <cstdint>
#include <cstdlib>
#include <ctime>
#include <string>
#include <string_view>

#include "platform/MonthNames.h"

namespace quarlen {
namespace {

// iconv_open's failure value is (iconv_t)-1; compared through the pointer's
// bits, since a cast of -1 to a pointer defeats the compiler's alias tracking.
bool IconvOpenFailed(iconv_t cd) { return std::bit_cast<std::uintptr_t>(cd) == UINTPTR_MAX; }

// Converts text of the locale's own code set to UTF-8; unchanged when it
// already is UTF-8 or cannot be converted.
std::string ToUtf8(const std::string& text, locale_t loc) {
  const char* codeset = nl_langinfo_l(CODESET, loc);
  if (!codeset || std::string_view(codeset) == "UTF-8" || std::string_view(codeset) == "ANSI_X3.4-1968") return text;
  iconv_t cd = iconv_open("UTF-8", codeset);
  if (IconvOpenFailed(cd)) return text;
  std::string out(text.size() * 4 + 4, '\0');
  char* in = const_cast<char*>(text.data());
  std::size_t inLeft = text.size();
  char* outPtr = out.data();
  std::size_t outLeft = out.size();
  const std::size_t rc = iconv(cd, &in, &inLeft, &outPtr, &outLeft);
  iconv_close(cd);
  if (rc == static_cast<std::size_t>(-1)) return text;
  out.resize(out.size() - outLeft);
  return out;
}

// The locale the environment names for time values, as setlocale would pick it.
std::string TimeLocaleName() {
  for (const char* var : {"LC_ALL", "LC_TIME", "LANG"}) {
    const char* value = std::getenv(var);
    if (value && *value) return value;
  }
  return "C";
}

constexpr std::array<std::string_view, 12> EnglishShortMonths{"Jan", "Feb", "Mar", "Apr", "May", "Jun",
                                                              "Jul", "Aug", "Sep", "Oct", "Nov", "Dec"};

// The twelve short month names of the named LC_TIME locale. The character set
// comes from the same locale, so a non-UTF-8 locale still yields UTF-8 text;
// an unknown locale falls back to the C names.
std::array<std::string, 12> LoadShortMonthNames(const std::string& localeName) {
  std::array<std::string, 12> names;
  for (int m = 0; m < 12; ++m) names[m] = EnglishShortMonths[m];
  locale_t loc = newlocale(LC_TIME_MASK | LC_CTYPE_MASK, localeName.c_str(), static_cast<locale_t>(0));
  if (loc == static_cast<locale_t>(0)) return names;
  for (int m = 0; m < 12; ++m) {
    std::tm tm{};
    tm.tm_mon = m;
    tm.tm_mday = 1;
    tm.tm_year = 100;
    char buffer[64];
    const std::size_t n = strftime_l(buffer, sizeof buffer, "%b", &tm, loc);
    std::string name = ToUtf8(std::string(buffer, n), loc);
    if (!name.empty()) names[m] = std::move(name);
  }
  freelocale(loc);
  return names;
}

}  // namespace

std::string LocalShortMonthName(int month) {
  // Loading a locale reads its files from disk; a feed of thousands of items
  // asks for a month name per item, so the names are loaded once per locale
  // name (the environment can still switch locales, and then they are reloaded).
  struct Cache {
    std::string localeName;
    std::array<std::string, 12> names;
    bool loaded = false;
  };
  thread_local Cache cache;
  std::string localeName = TimeLocaleName();
  if (!cache.loaded || cache.localeName != localeName) {
    cache.names = LoadShortMonthNames(localeName);
    cache.localeName = std::move(localeName);
    cache.loaded = true;
  }
  return cache.names[month - 1];
}

}  // namespace quarlen
