// The network settings file: its keys, order and exact read-back.
#include "settings/NetworkSettings.h"

#include <gtest/gtest.h>
#include <sys/stat.h>

#include <filesystem>
#include <fstream>
#include <sstream>

#include "settings/SettingsStore.h"

namespace quarlen {
namespace {

class NetworkSettingsFile : public ::testing::Test {
 protected:
  void SetUp() override {
    folder_ = std::filesystem::path(QUARLEN_BINARY_DIR) / "test-data" /
              ("network-" + std::string(::testing::UnitTest::GetInstance()->current_test_info()->name()));
    std::filesystem::remove_all(folder_);
    std::filesystem::create_directories(folder_);
    path_ = (folder_ / NetworkSettings::FileName).string();
  }
  std::string Content() const {
    std::ifstream in(path_, std::ios::binary);
    std::stringstream s;
    s << in.rdbuf();
    return s.str();
  }
  std::filesystem::path folder_;
  std::string path_;
};

TEST_F(NetworkSettingsFile, FirstRunGivesDefaultsAndSavingWritesTheKeysInOrder) {
  SettingsStore store(path_, nullptr, SettingsFileMode::OwnerOnly);
  EXPECT_EQ(LoadNetworkSettings(store), ProxySettings{});
  EXPECT_FALSE(std::filesystem::exists(path_));

  SaveNetworkSettings(store, ProxySettings{});
  EXPECT_EQ(Content(),
            "<?xml version=\"1.0\" encoding=\"iso-8859-1\"?>\r\n<Configuration>\r\n"
            "  <UseProxy>FALSE</UseProxy>\r\n  <UseProxyAuthentication>FALSE</UseProxyAuthentication>\r\n"
            "  <Hostname/>\r\n  <Port>0</Port>\r\n  <Username/>\r\n  <Password/>\r\n</Configuration>\r\n");
  struct stat info {};
  ASSERT_EQ(::stat(path_.c_str(), &info), 0);
  EXPECT_EQ(info.st_mode & 0777, 0600u);
}

TEST_F(NetworkSettingsFile, ValuesReadBackExactly) {
  SettingsStore store(path_, nullptr, SettingsFileMode::OwnerOnly);
  const ProxySettings settings{true, true, " proxy.local ", 3128, "tr<a>der", "p&ss \xC3\xA4"};
  SaveNetworkSettings(store, settings);
  EXPECT_EQ(LoadNetworkSettings(store), settings);
}

}  // namespace
}  // namespace quarlen
