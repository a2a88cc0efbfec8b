// The operating-system description: every row of the Windows rules, the record
// query's fallback, and the Linux description.
#include "platform/OsDescription.h"

#include <gtest/gtest.h>

namespace quarlen {
namespace {

constexpr std::uint32_t Extended = WindowsVersionRecord::ExtendedSize;
constexpr std::uint32_t Basic = WindowsVersionRecord::BasicSize;

WindowsVersionRecord Record(std::uint32_t platform, std::uint32_t major, std::uint32_t minor, std::uint32_t build,
                            const char* servicePack, std::uint8_t productType = 0, std::uint16_t suite = 0,
                            std::uint32_t size = Extended) {
  WindowsVersionRecord r;
  r.size = size;
  r.platformId = platform;
  r.majorVersion = major;
  r.minorVersion = minor;
  r.buildNumber = build;
  r.servicePack = servicePack;
  r.productType = productType;
  r.suiteMask = suite;
  return r;
}

struct DescriptionCase {
  const char* name;
  WindowsVersionRecord record;
  bool hotfixKey;
  const char* expected;
};

class Description : public ::testing::TestWithParam<DescriptionCase> {};

TEST_P(Description, FollowsTheRules) {
  const auto& c = GetParam();
  EXPECT_EQ(DescribeOperatingSystem(c.record, [&] { return c.hotfixKey; }), c.expected);
}

INSTANTIATE_TEST_SUITE_P(
    WinVersions, Description,
    ::testing::Values(
        DescriptionCase{"Win32s", Record(0, 3, 10, 42, "x", 1), false, "Microsoft Win32s"},
        DescriptionCase{"Win95", Record(1, 4, 0, 950, " A "), false, "Microsoft Windows 95"},
        DescriptionCase{"Win95OSR2B", Record(1, 4, 0, 1111, " B "), false, "Microsoft Windows 95 OSR2"},
        DescriptionCase{"Win95OSR2C", Record(1, 4, 0, 1212, " C"), false, "Microsoft Windows 95 OSR2"},
        DescriptionCase{"Win98", Record(1, 4, 10, 1998, " "), false, "Microsoft Windows 98"},
        DescriptionCase{"Win98SE", Record(1, 4, 10, 2222, " A "), false, "Microsoft Windows 98 SE"},
        DescriptionCase{"WinMe", Record(1, 4, 90, 3000, " "), false, "Microsoft Windows Millennium Edition"},
        DescriptionCase{"Family95Unknown", Record(1, 4, 3, 1, " A "), false, ""},
        DescriptionCase{"XPProfessional", Record(2, 5, 1, 2600, "Service Pack 2", 1), false,
                        "Microsoft Windows XP Professional Service Pack 2 (Build 2600)"},
        DescriptionCase{"XPHome", Record(2, 5, 1, 2600, "Service Pack 2", 1, 0x0200), false,
                        "Microsoft Windows XP Home Edition Service Pack 2 (Build 2600)"},
        DescriptionCase{"NT4Workstation", Record(2, 4, 0, 1381, "Service Pack 5", 1, 0x0200), true,
                        "Microsoft Windows NT Workstation 4.0 Service Pack 5 (Build 1381)"},
        DescriptionCase{"Vista", Record(2, 6, 0, 6000, "", 1), false,
                        "Microsoft Windows NT Professional  (Build 6000)"},
        DescriptionCase{"Server2003Datacenter", Record(2, 5, 2, 3790, "", 3, 0x0082), false,
                        "Microsoft Windows Server 2003 Datacenter Edition  (Build 3790)"},
        DescriptionCase{"Server2003Enterprise", Record(2, 5, 2, 3790, "Service Pack 1", 3, 0x0002), false,
                        "Microsoft Windows Server 2003 Enterprise Edition Service Pack 1 (Build 3790)"},
        DescriptionCase{"Server2003Web", Record(2, 5, 2, 3790, "", 3, 0x0400), false,
                        "Microsoft Windows Server 2003 Web Edition  (Build 3790)"},
        DescriptionCase{"Server2003BladePlusOther", Record(2, 5, 2, 3790, "", 3, 0x0410), false,
                        "Microsoft Windows Server 2003 Standard Edition  (Build 3790)"},
        DescriptionCase{"Server2000Datacenter", Record(2, 5, 0, 2195, "Service Pack 4", 3, 0x0080), false,
                        "Microsoft Windows 2000 Datacenter Server Service Pack 4 (Build 2195)"},
        DescriptionCase{"Server2000Advanced", Record(2, 5, 0, 2195, "Service Pack 4", 3, 0x0002), false,
                        "Microsoft Windows 2000 Advanced Server Service Pack 4 (Build 2195)"},
        DescriptionCase{"Server2000", Record(2, 5, 0, 2195, "", 3), false,
                        "Microsoft Windows 2000 Server  (Build 2195)"},
        DescriptionCase{"NT4ServerEnterprise", Record(2, 4, 0, 1381, "Service Pack 3", 3, 0x0002), false,
                        "Microsoft Windows NT Server 4.0, Enterprise Edition Service Pack 3 (Build 1381)"},
        DescriptionCase{"Server6", Record(2, 6, 0, 6001, "Service Pack 1", 3), false,
                        "Microsoft Windows NT Server 6.0 Service Pack 1 (Build 6001)"},
        DescriptionCase{"DomainControllerAddsNothing", Record(2, 5, 0, 2195, "Service Pack 1", 2, 0x0080), false,
                        "Microsoft Windows 2000 Service Pack 1 (Build 2195)"},
        DescriptionCase{"BasicRecordHasNoEdition", Record(2, 5, 1, 2600, "Service Pack 1", 1, 0x0200, Basic), false,
                        "Microsoft Windows XP Service Pack 1 (Build 2600)"},
        DescriptionCase{"NT4ServicePack6a", Record(2, 4, 0, 1381, "service pack 6", 1), true,
                        "Microsoft Windows NT Workstation 4.0 Service Pack 6a (Build 1381)"},
        DescriptionCase{"NT4ServicePack6WithoutHotfix", Record(2, 4, 0, 1381, "Service Pack 6", 1), false,
                        "Microsoft Windows NT Workstation 4.0 Service Pack 6 (Build 1381)"},
        DescriptionCase{"ServicePack6OnlyOnNT4", Record(2, 5, 0, 2195, "Service Pack 6", 1), true,
                        "Microsoft Windows 2000 Professional Service Pack 6 (Build 2195)"},
        DescriptionCase{"BuildLow16Bits", Record(2, 5, 1, 0x0A280A28, "", 1), false,
                        "Microsoft Windows XP Professional  (Build 2600)"},
        DescriptionCase{"UnknownPlatform", Record(3, 5, 1, 2600, "", 1), false, ""}),
    [](const auto& info) { return std::string(info.param.name); });

TEST(WinVersions, NoRecordGivesEmptyText) { EXPECT_EQ(DescribeOperatingSystem(std::nullopt, {}), ""); }

TEST(WinVersions, QueryFallsBackToTheBasicRecord) {
  std::vector<std::uint32_t> asked;
  const auto extendedFails = [&](WindowsVersionRecord& r) {
    asked.push_back(r.size);
    if (r.size == Extended) return false;
    r = Record(2, 5, 1, 2600, "Service Pack 3", 1, 0x0200);  // leftovers must not count
    return true;
  };
  const auto record = QueryWindowsVersion(extendedFails);
  ASSERT_TRUE(record);
  EXPECT_EQ(asked, (std::vector<std::uint32_t>{Extended, Basic}));
  EXPECT_EQ(record->size, Basic);
  EXPECT_EQ(DescribeOperatingSystem(record, {}), "Microsoft Windows XP Service Pack 3 (Build 2600)");

  EXPECT_FALSE(QueryWindowsVersion([](WindowsVersionRecord&) { return false; }));
  const auto extended = QueryWindowsVersion([](WindowsVersionRecord& r) {
    r.productType = 1;
    r.platformId = 2;
    return true;
  });
  ASSERT_TRUE(extended);
  EXPECT_EQ(extended->size, Extended);
}

TEST(WinVersions, HotfixKeyIsAskedOnlyWhenItMatters) {
  int asked = 0;
  const auto key = [&] { return ++asked, true; };
  DescribeOperatingSystem(Record(2, 5, 1, 2600, "Service Pack 6", 1), key);
  DescribeOperatingSystem(Record(2, 4, 0, 1381, "Service Pack 5", 1), key);
  EXPECT_EQ(asked, 0);
  DescribeOperatingSystem(Record(2, 4, 0, 1381, "SERVICE PACK 6", 1), key);
  EXPECT_EQ(asked, 1);
}

TEST(WinVersions, LinuxDescription) {
  struct {
    const char* osRelease;
    const char* kernel;
    const char* expected;
  } cases[] = {
      {"PRETTY_NAME=\"Debian GNU/Linux 12 (bookworm)\"\nNAME=\"Debian GNU/Linux\"\n", "6.1.0-18-amd64",
       "Debian GNU/Linux 12 (bookworm) (Kernel 6.1.0-18-amd64)"},
      {"NAME=Fedora\nPRETTY_NAME='Fedora Linux 39'\r\n", "6.5.6", "Fedora Linux 39 (Kernel 6.5.6)"},
      {"PRETTY_NAME=\"Say \\\"hi\\\" \\\\ there\"\n", "5.0", "Say \"hi\" \\ there (Kernel 5.0)"},
      {"NAME=Alpine\n", "6.6", "Alpine (Kernel 6.6)"},
      {"", "", "Linux"},
      {"PRETTY_NAME=Plain\tTabbed\n", "1.0\r\nX-Injected: 1", "Plain Tabbed (Kernel 1.0  X-Injected: 1)"},
      {"XPRETTY_NAME=\"Wrong\"\n", "2.0", "Linux (Kernel 2.0)"},
  };
  for (const auto& c : cases) EXPECT_EQ(DescribeLinux(c.osRelease, c.kernel), c.expected) << c.osRelease;
}

TEST(WinVersions, ThisMachineHasAOneLineDescription) {
  const std::string text = DescribeOperatingSystem();
  EXPECT_FALSE(text.empty());
  EXPECT_EQ(text.find_first_of("\r\n"), std::string::npos);
}

TEST(WinVersions, ThisMachinesDescriptionFollowsItsOwnVersion) {
  WindowsVersionRecord record;
  record.size = WindowsVersionRecord::ExtendedSize;
  if (!SystemWindowsVersionQuery(record)) {
    EXPECT_NE(DescribeOperatingSystem().find(" (Kernel "), std::string::npos);
    return;
  }
  // Windows (or wine): an NT system, described by the version rules from the version it reports.
  EXPECT_EQ(record.platformId, 2u);
  const std::string text = DescribeOperatingSystem();
  EXPECT_EQ(text.rfind("Microsoft Windows ", 0), 0u) << text;
  EXPECT_NE(text.find("(Build " + std::to_string(record.buildNumber & 0xFFFF) + ")"), std::string::npos) << text;
  EXPECT_EQ(text, DescribeOperatingSystem(record, [] { return false; }));
}

}  // namespace
}  // namespace quarlen
