#include "feedparser/SimpleRSSDates.h"
#include "platform/CalendarTime.h"
#include "tests/support/Environment.h"

#include <gtest/gtest.h>

#include <array>
#include <cstdlib>
#include <ctime>
#include <filesystem>
#include <optional>
#include <string>

namespace quarlen {
namespace {

struct RfcCase {
  const char* text;
  const char* expected;  // DateTimeIsoText of the result
};

class RfcDateTest : public ::testing::TestWithParam<RfcCase> {};

TEST_P(RfcDateTest, ReadsClockTimeAndKeepsZone) {
  TRFC822DateTime date;
  date.SetTimeZone("EST");
  date.ParseRFC822Date(GetParam().text);
  EXPECT_EQ(DateTimeIsoText(date.DateTime()), GetParam().expected) << GetParam().text;
  EXPECT_EQ(date.TimeZone(), "EST");
}

constexpr const char* Zero = "1899-12-30T00:00:00";

INSTANTIATE_TEST_SUITE_P(
    Table, RfcDateTest,
    ::testing::Values(
        RfcCase{"Sun, 06 Nov 1994 08:49:37 GMT", "1994-11-06T08:49:37"},
        RfcCase{"06-Nov-94 08:49:37 GMT", "1994-11-06T08:49:37"},
        RfcCase{"Sun Nov  6 08:49:37 1994", "1994-11-06T08:49:37"},
        RfcCase{"Tue, 3 May 05 18:14 +0200", "2005-05-03T18:14:00"},
        RfcCase{"  sun, 06 nov 1994 08:49:37 gmt \r\n", "1994-11-06T08:49:37"},
        RfcCase{"Sunday, 06-Nov-94 08:49:37 GMT", "1994-11-06T08:49:37"}, RfcCase{"Nov 06 1994", "1994-11-06T00:00:00"},
        RfcCase{"06 Nov 1994", "1994-11-06T00:00:00"}, RfcCase{"06 Nov 1994 08:49", "1994-11-06T08:49:00"},
        RfcCase{"06 Nov 1994 08:xx:37", "1994-11-06T08:00:37"}, RfcCase{"xx Nov 1994", "1994-11-01T00:00:00"},
        RfcCase{"1 Jan 00", "2000-01-01T00:00:00"}, RfcCase{"1 Jan 79", "2079-01-01T00:00:00"},
        RfcCase{"1 Jan 80", "1980-01-01T00:00:00"}, RfcCase{"1 Jan 1850", "1850-01-01T00:00:00"},
        RfcCase{"1 Jan 1850 06:00", "1850-01-01T06:00:00"}, RfcCase{"29 Feb 2004", "2004-02-29T00:00:00"},
        // Everything below cannot be read and gives 0.
        RfcCase{"3 January 2005", Zero}, RfcCase{"2005-05-03", Zero}, RfcCase{"", Zero}, RfcCase{"   \t ", Zero},
        RfcCase{"29 Feb 2005", Zero}, RfcCase{"31 Apr 2005 10:00:00", Zero}, RfcCase{"06 Nov 1994 25:00:00", Zero},
        RfcCase{"06 Nov 1994 10:60:00", Zero}, RfcCase{"06 Xyz 1994", Zero}, RfcCase{"-06 Nov 1994", Zero},
        RfcCase{"06-Nov-1994", Zero},  // no blank: the separator is a blank
        RfcCase{"06 Nov 99999999999", "1900-11-06T00:00:00"}));

TEST(RfcDate, FailureDropsWhatWasReadBefore) {
  TRFC822DateTime date;
  date.ParseRFC822Date("Sun, 06 Nov 1994 08:49:37 GMT");
  date.ParseRFC822Date("06 Nov 1994 24:00:00");
  EXPECT_EQ(date.DateTime(), 0.0);
}

struct IsoCase {
  const char* text;
  const char* expected;  // nullptr: the current local time
  const char* zone;      // the zone afterwards; the previous one was "GMT"
};

class IsoDateTest : public ::testing::TestWithParam<IsoCase> {};

TEST_P(IsoDateTest, ReadsFieldsAndZone) {
  const IsoCase& c = GetParam();
  TRFC822DateTime date;
  date.SetDateTime(1.0);
  const TDateTime before = NowDateTime();
  date.ParseISO8601Date(c.text);
  const TDateTime after = NowDateTime();
  if (c.expected) {
    EXPECT_EQ(DateTimeIsoText(date.DateTime()), c.expected) << c.text;
  } else {
    EXPECT_GE(date.DateTime(), before) << c.text;
    EXPECT_LE(date.DateTime(), after) << c.text;
  }
  EXPECT_EQ(date.TimeZone(), c.zone) << c.text;
}

INSTANTIATE_TEST_SUITE_P(
    Table, IsoDateTest,
    ::testing::Values(
        IsoCase{"2005-05-03T18:14:20+02:00", "2005-05-03T18:14:20", "+02:00"},
        IsoCase{"2005-05-03T18:14:20Z", "2005-05-03T18:14:20", "Z"},
        IsoCase{"2005-05-03T18:14:20.5Z", "2005-05-03T18:14:20", ".5Z"},
        IsoCase{"2005-05-03", "2005-05-03T00:00:00", "GMT"}, IsoCase{"2005-05-03T18:14", "2005-05-03T18:14:00", "GMT"},
        IsoCase{"2005-05-03T18:14:2", "2005-05-03T18:14:02", "GMT"},
        IsoCase{"1850-01-01T06:00:00", "1850-01-01T06:00:00", "GMT"}, IsoCase{"2005-13-40T10:00:00Z", nullptr, "Z"},
        IsoCase{"2005-02-29T10:00:00", nullptr, "GMT"}, IsoCase{"2005-05-03T24:00:00", nullptr, "GMT"},
        IsoCase{"2005", nullptr, "GMT"}, IsoCase{"", nullptr, "GMT"}, IsoCase{"yesterday", nullptr, "GMT"},
        IsoCase{"65535-01-01", nullptr, "GMT"}, IsoCase{"2005-05-03T18:14:xx+01:00", "2005-05-03T18:14:00", "+01:00"},
        // The seconds are two characters; a Cyrillic letter is one of them.
        IsoCase{"2005-05-03T18:14:2\xD0\xA5", "2005-05-03T18:14:00", "GMT"},
        IsoCase{"2005-05-03T18:14:2\xD0\xA5\xD0\x9C", "2005-05-03T18:14:00", "\xD0\x9C"},
        IsoCase{"2005-05-03T18:14:20\xD0\xA5", "2005-05-03T18:14:20", "\xD0\xA5"}));

TEST(IsoDate, FieldOutsideSixteenBitsIsARangeError) {
  for (const char* text : {"-1-05-03", "65536-01-01", "2005-05--5T10:00:00", "2005-05-03T-1:00:00",
                           "2005-05-03T10:-7:00", "2005-05-03T10:00:-1Z", "2005-70000-01"}) {
    TRFC822DateTime date;
    date.SetDateTime(2.5);
    EXPECT_THROW(date.ParseISO8601Date(text), TDateRangeError) << text;
    EXPECT_EQ(date.DateTime(), 2.5) << text;
  }
}

TEST(DateValue, NewObjectIsNowInGmt) {
  const TDateTime before = NowDateTime();
  TRFC822DateTime date;
  const TDateTime after = NowDateTime();
  EXPECT_GE(date.DateTime(), before);
  EXPECT_LE(date.DateTime(), after);
  EXPECT_EQ(date.TimeZone(), "GMT");
}

// "Now" is the wall clock of the user's zone, here nine hours east of UTC.
TEST(DateValue, NowIsTheLocalClock) {
  const char* saved = std::getenv("TZ");
  const std::string previous = saved ? saved : "";
  test::SetEnv("TZ", "QRL-9");
  ::tzset();
  const std::time_t t = std::time(nullptr);
  const std::tm local = LocalCalendarTime(t);
  const TDateTime now = NowDateTime();
  TDateTime expected = 0;
  ASSERT_TRUE(TryEncodeDateTime(local.tm_year + 1900, local.tm_mon + 1, local.tm_mday, local.tm_hour, local.tm_min,
                                local.tm_sec, expected));
  test::SetEnv("TZ", saved ? std::optional(previous) : std::nullopt);
  ::tzset();
  EXPECT_NEAR(now, expected, 2.0 / 86400);
}

TEST(DateValue, EncodeAndDecodeAgree) {
  struct Case {
    int y, mo, d, h, mi, s;
    double value;
  };
  for (const Case& c :
       {Case{1899, 12, 30, 0, 0, 0, 0.0}, Case{1899, 12, 31, 12, 0, 0, 1.5}, Case{1899, 12, 29, 6, 0, 0, -1.25},
        Case{1900, 3, 1, 0, 0, 0, 61.0}, Case{2005, 5, 3, 0, 0, 0, 38475.0}}) {
    TDateTime value = 99;
    ASSERT_TRUE(TryEncodeDateTime(c.y, c.mo, c.d, c.h, c.mi, c.s, value));
    EXPECT_DOUBLE_EQ(value, c.value);
    const TDateTimeParts p = DecodeDateTime(value);
    EXPECT_EQ((std::array<int, 6>{p.year, p.month, p.day, p.hour, p.minute, p.second}),
              (std::array<int, 6>{c.y, c.mo, c.d, c.h, c.mi, c.s}));
  }
  // The stored form's value of the channel dates.
  EXPECT_EQ(DateTimeIsoText(38475.75995622685), "2005-05-03T18:14:20");
  TDateTime unused = 0;
  EXPECT_FALSE(TryEncodeDateTime(0, 1, 1, 0, 0, 0, unused));
  EXPECT_FALSE(TryEncodeDateTime(10000, 1, 1, 0, 0, 0, unused));
}

// Sets an environment variable for one test and restores it afterwards.
class ScopedEnv {
 public:
  ScopedEnv(const char* name, const std::string& value) : name_(name) {
    if (const char* old = std::getenv(name)) old_ = old;
    test::SetEnv(name, value);
  }
  ~ScopedEnv() { test::SetEnv(name_, old_); }

 private:
  const char* name_;
  std::optional<std::string> old_;
};

// Builds locales of the system's locale sources under the build folder, so
// the month names can be checked without installing them system-wide.
std::optional<std::string> TestLocaleFolder() {
  const std::filesystem::path folder = std::filesystem::path(QUARLEN_BINARY_DIR) / "test-locales";
  std::filesystem::create_directories(folder);
  for (const char* spec : {"ru_RU CP1251 ru_RU.CP1251", "de_DE UTF-8 de_DE.UTF-8"}) {
    const std::string s = spec;
    const auto a = s.find(' '), b = s.rfind(' ');
    const std::string name = s.substr(b + 1);
    if (std::filesystem::exists(folder / name)) continue;
    const std::string command = "localedef -i " + s.substr(0, a) + " -f " + s.substr(a + 1, b - a - 1) + " '" +
                                (folder / name).string() + "' >/dev/null 2>&1";
    if (std::system(command.c_str()) != 0 && !std::filesystem::exists(folder / name)) return std::nullopt;
  }
  return folder.string();
}

TEST(DateText, MonthDayYearInTheUsersTimeLocale) {
  const auto folder = TestLocaleFolder();
  if (!folder) GTEST_SKIP() << "localedef or its locale sources are missing";
  ScopedEnv locpath("LOCPATH", *folder);
  ScopedEnv all("LC_ALL", "");
  ScopedEnv lang("LANG", "C");

  TRFC822DateTime date;
  date.ParseRFC822Date("Tue, 3 May 2005 18:14:20 GMT");
  struct Case {
    const char* locale;
    const char* expected;
  };
  for (const Case& c :
       {Case{"C", "May 3 2005"}, Case{"de_DE.UTF-8", "Mai 3 2005"},
        Case{"ru_RU.CP1251", "\xD0\xBC\xD0\xB0\xD1\x8F 3 2005"}, Case{"xx_NOWHERE.UTF-8", "May 3 2005"}}) {
    ScopedEnv time("LC_TIME", c.locale);
    EXPECT_EQ(date.DateText(), c.expected) << c.locale;
  }
  ScopedEnv time("LC_TIME", "C");
  date.SetDateTime(0);
  EXPECT_EQ(date.DateText(), "Dec 30 1899");
  date.SetDateTime(-1.25);
  EXPECT_EQ(date.DateText(), "Dec 29 1899");
}

TEST(DateText, NewObjectShowsToday) {
  ScopedEnv all("LC_ALL", "C");
  const std::time_t t = std::time(nullptr);
  const std::tm local = LocalCalendarTime(t);
  static const char* months[] = {"Jan", "Feb", "Mar", "Apr", "May", "Jun", "Jul", "Aug", "Sep", "Oct", "Nov", "Dec"};
  const std::string expected = std::string(months[local.tm_mon]) + " " + std::to_string(local.tm_mday) + " " +
                               std::to_string(local.tm_year + 1900);
  EXPECT_EQ(TRFC822DateTime().DateText(), expected);
}

}  // namespace
}  // namespace quarlen
