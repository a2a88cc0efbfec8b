#include "platform/ConfigFolder.h"

#include <gtest/gtest.h>
#include <unistd.h>

#include <filesystem>
#include <fstream>
#include <map>

namespace quarlen {
namespace {

EnvLookup FakeEnv(std::map<std::string, std::string> values) {
  return [values](const std::string& name) -> std::optional<std::string> {
    auto it = values.find(name);
    if (it == values.end()) return std::nullopt;
    return it->second;
  };
}

TEST(ApplicationDataFolder, FollowsTheXdgRules) {
  struct Case {
    std::map<std::string, std::string> env;
    std::string expected;
  } cases[] = {
      {{{"XDG_CONFIG_HOME", "/x/conf"}, {"HOME", "/home/u"}}, "/x/conf"},
      {{{"XDG_CONFIG_HOME", "/x/conf/"}}, "/x/conf"},
      {{{"XDG_CONFIG_HOME", "relative"}, {"HOME", "/home/u"}}, "/home/u/.config"},
      {{{"XDG_CONFIG_HOME", ""}, {"HOME", "/home/u/"}}, "/home/u/.config"},
      {{{"HOME", "/home/u"}}, "/home/u/.config"},
      {{}, ""},
  };
  for (const auto& c : cases) EXPECT_EQ(ApplicationDataFolder(FakeEnv(c.env)), c.expected);
}

TEST(ConfigFolder, IsInsideTheApplicationDataFolder) {
  EXPECT_EQ(ConfigFolderPath("/home/u/.config"), "/home/u/.config/QuarlenMessenger/");
  // Without an application-data folder it falls back to the root, as the system does.
  EXPECT_EQ(ConfigFolderPath(""), "/QuarlenMessenger/");
}

TEST(EnsureFolderExists, CreatesOneLevelOnly) {
  namespace fs = std::filesystem;
  const fs::path root = fs::temp_directory_path() / ("cfg-" + std::to_string(::getpid()));
  fs::remove_all(root);
  fs::create_directories(root);
  EXPECT_TRUE(EnsureFolderExists((root / "QuarlenMessenger/").string()));
  EXPECT_TRUE(fs::is_directory(root / "QuarlenMessenger"));
  EXPECT_TRUE(EnsureFolderExists((root / "QuarlenMessenger/").string()));
  EXPECT_FALSE(EnsureFolderExists((root / "missing/QuarlenMessenger/").string()));
  EXPECT_FALSE(fs::exists(root / "missing"));
  std::ofstream(root / "file") << "x";
  EXPECT_FALSE(EnsureFolderExists((root / "file").string()));
  fs::remove_all(root);
}

}  // namespace
}  // namespace quarlen

namespace quarlen {
namespace {
TEST(EnsureApplicationDataFolder, CreatesMissingParents) {
  namespace fs = std::filesystem;
  const fs::path root = fs::temp_directory_path() / ("appdata-" + std::to_string(::getpid()));
  fs::remove_all(root);
  EXPECT_TRUE(EnsureApplicationDataFolder((root / "home/.config").string()));
  EXPECT_TRUE(fs::is_directory(root / "home/.config"));
  EXPECT_FALSE(EnsureApplicationDataFolder(""));
  fs::remove_all(root);
}
}  // namespace
}  // namespace quarlen
