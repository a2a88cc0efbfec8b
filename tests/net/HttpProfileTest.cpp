// The one HTTP client profile every request applies: agent and proxy route.
#include "net/HttpProfile.h"

#include <gtest/gtest.h>

#include "net/HttpClient.h"
#include "tests/support/LoopbackHttpServer.h"

namespace quarlen {
namespace {

using testhttp::LoopbackHttpServer;
using testhttp::Reply;

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
  LoopbackHttpServer proxy({Reply(Ok), Reply(Ok), Reply(Ok)});
  LoopbackHttpServer feed({Reply(Ok), Reply(Ok), Reply(Ok)});
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
      {"proxy, user name, empty password",
       {true, true, "127.0.0.1", proxy.Port(), "trader", ""},
       true,
       "Basic dHJhZGVyOg=="},
      {"proxy switched off again", {false, true, "127.0.0.1", proxy.Port(), "trader", "secret"}, false, nullptr},
      {"proxy on, empty host name", {true, true, "", proxy.Port(), "trader", "secret"}, false, nullptr},
      {"authentication on",
       {true, true, "127.0.0.1", proxy.Port(), "trader", "secret"},
       true,
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
    const auto requests = c.viaProxy ? proxy.Heads() : feed.Heads();
    ASSERT_EQ(requests.size(), c.viaProxy ? ++proxied : ++direct) << c.name;
    const std::string& sent = requests.back();
    const std::string target =
        c.viaProxy ? "http://" + feedHost + "/feeds/messenger4.xml.win-1251" : "/feeds/messenger4.xml.win-1251";
    std::string expected = "GET " + target +
                           " HTTP/1.1\r\nContent-Type: text/html\r\nCache-control: no-cache\r\nHost: " + feedHost +
                           "\r\nAccept: text/html, */*\r\nUser-Agent: " + Agent + "\r\n";
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

}  // namespace
}  // namespace quarlen
