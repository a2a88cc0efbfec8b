// https requests against a real nginx with TLS on loopback, direct and through
// a real tinyproxy's tunnel: what arrives inside TLS, what a kept connection
// serves, and the failure text of every certificate that must be refused.
#include <gtest/gtest.h>
#include <stdlib.h>

#include <optional>

#include "net/HttpClient.h"
#include "net/NetworkLoop.h"
#include "tests/support/QueuedUiThread.h"
#include "tests/support/Tinyproxy.h"
#include "tests/support/TlsNginx.h"

namespace quarlen {
namespace {

using testhttp::Tinyproxy;
using testhttp::TlsNginx;

const std::string Png = std::string("\x89PNG\r\n\x1a\n", 8) + std::string(64, '\0');

// Sets an environment variable for one scope, or removes it (value nullptr).
class ScopedEnv {
 public:
  ScopedEnv(const char* name, const char* value) : name_(name) {
    if (const char* old = ::getenv(name)) old_ = old;
    value ? ::setenv(name, value, 1) : ::unsetenv(name);
  }
  ~ScopedEnv() { old_ ? ::setenv(name_, old_->c_str(), 1) : ::unsetenv(name_); }

 private:
  const char* name_;
  std::optional<std::string> old_;
};

class HttpsTest : public ::testing::Test {
 protected:
  static void SetUpTestSuite() {
    nginx_ = new TlsNginx({{"/feeds/messenger4.xml.win-1251", "<rss/>"}, {"/ping.php", ""}, {"/chart.png", Png}});
  }
  static void TearDownTestSuite() {
    delete nginx_;
    nginx_ = nullptr;
  }
  void SetUp() override {
    if (!nginx_->Running()) GTEST_SKIP() << "nginx or openssl is not installed, or nginx did not start";
  }
  static std::string Url(const char* host, const char* certificate, const char* path) {
    return std::string("https://") + host + ":" + std::to_string(nginx_->Port(certificate)) + path;
  }
  static TlsNginx* nginx_;
};
TlsNginx* HttpsTest::nginx_ = nullptr;

TEST_F(HttpsTest, EveryRequestOfTheProgramWorksOverVerifiedTls) {
  ScopedEnv trust("SSL_CERT_FILE", nginx_->CaFile().c_str());
  THttpClient client(THttpClientKind::MainClient, nullptr);
  client.SetUserAgent("Quarlen test");
  EXPECT_EQ(client.Get(Url("127.0.0.1", "server", "/feeds/messenger4.xml.win-1251")), "<rss/>");
  EXPECT_EQ(client.Get(Url("127.0.0.1", "server", "/ping.php?version=1&email=")), "");
  EXPECT_EQ(client.Get(Url("localhost", "server", "/chart.png")), Png);

  // Inside TLS: Host with the port (not 443), no server name for an address,
  // the Secure cookie sent back; the kept connection serves the next request
  // to the same host and port, and only that.
  const std::string port = std::to_string(nginx_->Port("server"));
  const std::string first = client.Get(Url("127.0.0.1", "server", "/echo"));
  const std::string second = client.Get(Url("127.0.0.1", "server", "/echo"));
  const std::string named = client.Get(Url("localhost", "server", "/echo"));
  EXPECT_EQ(first.substr(0, first.rfind('|', first.rfind('|') - 1)), "127.0.0.1:" + port + "|");
  EXPECT_EQ(first.substr(first.rfind('|')), "|session=tls");
  EXPECT_EQ(first, second);
  EXPECT_EQ(named.rfind("localhost:" + port + "|localhost|", 0), 0u) << named;
  EXPECT_NE(named, first);

  // The same on the network thread, and through the proxy's tunnel.
  NetworkLoop loop;
  test::QueuedUiThread ui;
  THttpClient async(THttpClientKind::MainClient, loop, ui);
  Tinyproxy proxy("", "");
  for (const bool viaProxy : {false, true}) {
    if (viaProxy && !proxy.Running()) continue;
    if (viaProxy) async.SetProxy({"127.0.0.1", proxy.Port(), false, "", ""});
    std::optional<std::string> body;
    async.AsyncGet(
        Url("localhost", "server", "/feeds/messenger4.xml.win-1251"),
        [&](std::exception_ptr failure, std::string received) { body = failure ? std::string("(failed)") : received; });
    ASSERT_TRUE(ui.RunUntil([&] { return body.has_value(); }));
    EXPECT_EQ(*body, "<rss/>") << viaProxy;
  }
}

TEST_F(HttpsTest, CertificatesThatMustBeRefusedNameTheirFault) {
  const std::string rehashed = nginx_->CertificateFolder() + "/hashed";
  const std::string rehash = "mkdir -p '" + rehashed + "' && cp '" + nginx_->CaFile() + "' '" + rehashed +
                             "/' && openssl rehash '" + rehashed + "'";
  ASSERT_EQ(std::system(rehash.c_str()), 0);
  struct Case {
    std::string url;
    const char* certFile;  // SSL_CERT_FILE, nullptr: the system's
    const char* certDir;   // SSL_CERT_DIR, nullptr: the system's
    const char* failure;   // nullptr: the request succeeds
  };
  const std::string ca = nginx_->CaFile();
  const std::string missing = nginx_->CertificateFolder() + "/none.pem";
  const Case cases[] = {
      {Url("127.0.0.1", "stranger", "/ping.php"), ca.c_str(), nullptr,
       "The certificate of 127.0.0.1 is not signed by an authority this computer trusts."},
      {Url("localhost", "expired", "/ping.php"), ca.c_str(), nullptr, "The certificate of localhost has expired."},
      {Url("127.0.0.1", "othername", "/ping.php"), ca.c_str(), nullptr,
       "The certificate of 127.0.0.1 is for another name."},
      {Url("localhost", "othername", "/ping.php"), ca.c_str(), nullptr,
       "The certificate of localhost is for another name."},
      {Url("localhost", "server", "/ping.php"), nullptr, nullptr,
       "The certificate of localhost is not signed by an authority this computer trusts."},
      {Url("localhost", "server", "/ping.php"), missing.c_str(), rehashed.c_str(), nullptr},
      {Url("127.0.0.1", "plain", "/ping.php"), ca.c_str(), nullptr,
       "The secure connection to 127.0.0.1 failed: wrong version number."},
  };
  for (const Case& c : cases) {
    ScopedEnv file("SSL_CERT_FILE", c.certFile);
    ScopedEnv dir("SSL_CERT_DIR", c.certDir);
    THttpClient client(THttpClientKind::ConnectivityCheck, nullptr);
    try {
      EXPECT_EQ(client.Get(c.url), "") << c.url;
      EXPECT_EQ(c.failure, nullptr) << c.url;
    } catch (const HttpError& e) {
      EXPECT_STREQ(e.what(), c.failure ? c.failure : "(success)") << c.url;
    }
  }
}

TEST_F(HttpsTest, ThroughTheProxysTunnel) {
  ScopedEnv trust("SSL_CERT_FILE", nginx_->CaFile().c_str());
  const int port = nginx_->Port("server");
  Tinyproxy open("", "");
  Tinyproxy guarded("trader", "s3cret");
  Tinyproxy strict("", "", {443});
  if (!open.Running() || !guarded.Running() || !strict.Running()) GTEST_SKIP() << "tinyproxy did not start";
  const std::string authority = "127.0.0.1:" + std::to_string(port);
  struct Case {
    const Tinyproxy& proxy;
    bool authentication;
    const char* password;
    std::string failure;  // empty: the request succeeds
  };
  const std::string refused = "The proxy refused the connection to " + authority + ": ";
  const Case cases[] = {
      {open, false, "", ""},
      {guarded, true, "s3cret", ""},
      {guarded, true, "wrong", refused + "HTTP/1.0 401 Unauthorized"},
      {guarded, false, "s3cret", refused + "HTTP/1.0 407 Proxy Authentication Required"},
      {strict, false, "", refused + "HTTP/1.1 403 Access violation"},
  };
  for (const Case& c : cases) {
    THttpClient client(THttpClientKind::MainClient, nullptr);
    client.SetProxy({"127.0.0.1", c.proxy.Port(), c.authentication, "trader", c.password});
    try {
      const std::string echo = client.Get("https://" + authority + "/echo");
      EXPECT_EQ(echo.substr(0, echo.find('|')), authority);
      // The tunnel stays open for the next request to the same place, and the
      // Secure cookie comes back through it.
      EXPECT_EQ(client.Get("https://" + authority + "/echo"), echo + "session=tls");
      EXPECT_EQ(client.Get("https://" + authority + "/feeds/messenger4.xml.win-1251"), "<rss/>");
      EXPECT_EQ(c.failure, "");
    } catch (const HttpError& e) {
      EXPECT_EQ(e.what(), c.failure.empty() ? "(success)" : c.failure);
    }
  }
}

}  // namespace
}  // namespace quarlen
