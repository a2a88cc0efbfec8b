// Requests through a real tinyproxy with basic authentication, started on loopback.
#include <gtest/gtest.h>

#include <regex>

#include "net/HttpClient.h"
#include "net/HttpProfile.h"
#include "tests/support/LoopbackHttpServer.h"
#include "tests/support/Tinyproxy.h"

namespace quarlen {
namespace {

using testhttp::LoopbackHttpServer;
using testhttp::Reply;
using testhttp::Tinyproxy;

TEST(HttpProxy, TinyproxyWithBasicAuthentication) {
  Tinyproxy proxy("trader", "s3cret");
  if (!proxy.Running()) GTEST_SKIP() << "tinyproxy is not installed or did not start";
  LoopbackHttpServer origin({Reply("HTTP/1.1 200 OK\r\nContent-Length: 5\r\n\r\nfeed1"),
                             Reply("HTTP/1.1 200 OK\r\nContent-Length: 5\r\n\r\nfeed2")});
  const std::string url = origin.Url("/feeds/messenger4.xml.win-1251");
  const std::string agent = MakeUserAgent("1.2.5.149", "Test System");
  THttpClient client(THttpClientKind::MainClient, nullptr);

  ApplyHttpProfile(client, agent, ProxySettings{true, true, "127.0.0.1", proxy.Port(), "trader", "s3cret"});
  EXPECT_EQ(client.Get(url), "feed1");
  ApplyHttpProfile(client, agent, ProxySettings{true, true, "127.0.0.1", proxy.Port(), "trader", "s3cret"});
  EXPECT_EQ(client.Get(url), "feed2");  // the same client again, kept connection or not
  ASSERT_EQ(origin.Heads().size(), 2u);
  EXPECT_EQ(origin.Heads()[0].rfind("GET /feeds/messenger4.xml.win-1251 HTTP/1.", 0), 0u) << origin.Heads()[0];
  EXPECT_NE(origin.Heads()[0].find("User-Agent: " + agent + "\r\n"), std::string::npos);

  // Wrong or missing credentials: the proxy's own status line is the failure text.
  const std::regex refusal("HTTP/1\\.[01] 40[17] [A-Za-z ]+");
  for (const ProxySettings& settings : {ProxySettings{true, true, "127.0.0.1", proxy.Port(), "trader", "wrong"},
                                        ProxySettings{true, false, "127.0.0.1", proxy.Port(), "trader", "s3cret"}}) {
    ApplyHttpProfile(client, agent, settings);
    try {
      client.Get(url);
      ADD_FAILURE() << "the proxy let the request through";
    } catch (const HttpError& e) {
      EXPECT_TRUE(std::regex_match(std::string(e.what()), refusal)) << e.what();
    }
  }
  EXPECT_EQ(origin.Heads().size(), 2u);
}

}  // namespace
}  // namespace quarlen
