// The network settings file and the client profile every request applies.
#include "settings/NetworkSettings.h"

#include <gtest/gtest.h>
#include <sys/stat.h>

#include <filesystem>
#include <fstream>
#include <sstream>

#include "HttpTestServer.h"
#include "settings/HttpClient.h"
#include "settings/SettingsStore.h"

namespace quarlen {
namespace {

using testing::Reply;
using testing::ScriptedServer;

const std::string Agent = MakeUserAgent("1.2.5.149", "Debian GNU/Linux 12 (bookworm) (Kernel 6.1.0)");
const std::string Ok = "HTTP/1.1 200 OK\r\nContent-Length: 2\r\n\r\nok";

TEST(NetworkSettings, UserAgentIsProgramNameVersionAndSystem) {
  EXPECT_EQ(Agent, "Quarlen Messenger 1.2.5.149 Debian GNU/Linux 12 (bookworm) (Kernel 6.1.0)");
}

class Live : public INetworkSettings {
 public:
  ProxySettings CurrentProxySettings() const override { return settings; }
  ProxySettings settings;
};

// Each case: the live settings when the request starts, and where it must go.
TEST(NetworkSettings, ProfileDecidesRouteAndHeadersPerRequest) {
  ScriptedServer proxy({Reply(Ok), Reply(Ok), Reply(Ok)});
  ScriptedServer feed({Reply(Ok), Reply(Ok), Reply(Ok)});
  const std::string url = feed.Url("/feeds/messenger4.xml.win-1251");
  const std::string feedHost = "127.0.0.1:" + std::to_string(feed.Port());
  struct {
    const char* name;
    ProxySettings settings;
    bool viaProxy;
    const char* authorization;  // the Proxy-Authorization value, or null
  } cases[] = {
      {"first run", {}, false, nullptr},
      {"proxy, no authentication", {true, false, "127.0.0.1", proxy.Port(), "trader", "secret"}, true, nullptr},
      {"proxy, user name, empty password", {true, true, "127.0.0.1", proxy.Port(), "trader", ""}, true,
       "Basic dHJhZGVyOg=="},
      {"proxy switched off again", {false, true, "127.0.0.1", proxy.Port(), "trader", "secret"}, false, nullptr},
      {"proxy on, empty host name", {true, true, "", proxy.Port(), "trader", "secret"}, false, nullptr},
      {"authentication on", {true, true, "127.0.0.1", proxy.Port(), "trader", "secret"}, true,
       "Basic dHJhZGVyOnNlY3JldA=="},
  };
  Live live;
  THttpClient client(THttpClientKind::MainClient, nullptr);
  std::size_t proxied = 0;
  std::size_t direct = 0;
  for (const auto& c : cases) {
    live.settings = c.settings;
    ApplyHttpProfile(client, Agent, live);
    EXPECT_EQ(client.Get(url), "ok") << c.name;
    const auto requests = c.viaProxy ? proxy.Requests() : feed.Requests();
    ASSERT_EQ(requests.size(), c.viaProxy ? ++proxied : ++direct) << c.name;
    const std::string& sent = requests.back();
    const std::string target = c.viaProxy ? "http://" + feedHost + "/feeds/messenger4.xml.win-1251"
                                          : "/feeds/messenger4.xml.win-1251";
    std::string expected = "GET " + target + " HTTP/1.1\r\nContent-Type: text/html\r\nCache-control: no-cache\r\nHost: " +
                           feedHost + "\r\nAccept: text/html, */*\r\nUser-Agent: " + Agent + "\r\n";
    if (c.authorization) expected += std::string("Proxy-Authorization: ") + c.authorization + "\r\n";
    EXPECT_EQ(sent, expected + "\r\n") << c.name;
  }
}

TEST(NetworkSettings, ProfileResetsEverythingTheLastOneSet) {
  THttpClient client(THttpClientKind::ConnectivityCheck, nullptr);
  client.SetUserAgent("other");
  client.SetProxy({"old.example", 3128, true, "a", "b"});
  ApplyHttpProfile(client, Agent, ProxySettings{false, true, "proxy.example", 8080, "u", "p"});
  EXPECT_EQ(client.UserAgent(), Agent);
  EXPECT_TRUE(client.Proxy().host.empty());
  EXPECT_EQ(client.Proxy().port, 0);
  EXPECT_FALSE(client.Proxy().basicAuthentication);
  EXPECT_TRUE(client.Proxy().userName.empty());

  ApplyHttpProfile(client, Agent, ProxySettings{true, false, "proxy.example", 3128, "u", "p"});
  EXPECT_EQ(client.Proxy().host, "proxy.example");
  EXPECT_EQ(client.Proxy().port, 3128);
  EXPECT_FALSE(client.Proxy().basicAuthentication);
  EXPECT_EQ(client.Proxy().userName, "u");  // copied, but not sent without authentication
  EXPECT_EQ(client.Proxy().password, "p");
}

TEST(NetworkSettings, ProxyPortZeroFailsTheRequest) {
  THttpClient client(THttpClientKind::ConnectivityCheck, nullptr);
  ApplyHttpProfile(client, Agent, ProxySettings{true, false, "127.0.0.1", 0, "", ""});
  EXPECT_THROW(client.Get("http://feeds.example/ping.php"), HttpError);
}

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
