#include "platform/BrowserLookup.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>

namespace quarlen {
namespace {

struct RegistryCase {
  const char* name;
  std::optional<std::string> value;
  std::string expected;
};

class BrowserRule : public ::testing::TestWithParam<RegistryCase> {};

TEST_P(BrowserRule, GivesTheProgramPath) {
  EXPECT_EQ(BrowserPathFromRegistryValue(GetParam().value), GetParam().expected);
}

INSTANTIATE_TEST_SUITE_P(
    RegistryValues, BrowserRule,
    ::testing::Values(
        RegistryCase{"MissingKey", std::nullopt, "iexplore"}, RegistryCase{"NoDefaultValue", std::string(), ""},
        RegistryCase{"QuotedPathWithArgument", std::string("\"C:\\Program Files\\Web\\browse.exe\" -nohome"),
                     "c:\\program files\\web\\browse.exe"},
        RegistryCase{"UpperCaseExtension", std::string("C:\\Apps\\Browser.EXE -url"), "c:\\apps\\browser.exe"},
        RegistryCase{"BareProgramName", std::string("'Firefox' %1"), "firefox %1"},
        RegistryCase{"FirstExeWins", std::string("c:\\a.exe\\b.exe"), "c:\\a.exe"},
        RegistryCase{"OnlyAsciiLettersLowered", std::string("C:\\\xC4pp\\X.exe"), "c:\\\xC4pp\\x.exe"}),
    [](const auto& info) { return std::string(info.param.name); });

TEST(BrowserOnPath, PrefersXdgOpenThenXWwwBrowser) {
  namespace fs = std::filesystem;
  const fs::path root = fs::temp_directory_path() / ("browser-path-" + std::to_string(::getpid()));
  fs::create_directories(root / "a");
  fs::create_directories(root / "b");
  auto makeExecutable = [](const fs::path& p) {
    std::ofstream(p) << "#!/bin/sh\n";
    fs::permissions(p, fs::perms::owner_all);
  };
  const std::string path = (root / "a").string() + "::" + (root / "b").string();

  EXPECT_EQ(FindBrowserOnPath(path), "");
  makeExecutable(root / "b" / "x-www-browser");
  EXPECT_EQ(FindBrowserOnPath(path), (root / "b" / "x-www-browser").string());
  makeExecutable(root / "b" / "xdg-open");
  EXPECT_EQ(FindBrowserOnPath(path), (root / "b" / "xdg-open").string());
  std::ofstream(root / "a" / "xdg-open") << "not executable";
  fs::permissions(root / "a" / "xdg-open", fs::perms::owner_read);
  EXPECT_EQ(FindBrowserOnPath(path), (root / "b" / "xdg-open").string());
  fs::remove_all(root);
}

}  // namespace
}  // namespace quarlen
