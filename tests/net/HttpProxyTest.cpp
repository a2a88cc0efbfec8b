// Requests through a real tinyproxy with basic authentication, started on loopback.
#include <gtest/gtest.h>
#include <signal.h>
#include <spawn.h>
#include <sys/wait.h>

#include <filesystem>
#include <fstream>
#include <regex>
#include <thread>

#include "net/HttpClient.h"
#include "net/HttpProfile.h"
#include "tests/support/LoopbackHttpServer.h"

extern char** environ;

namespace quarlen {
namespace {

using testhttp::LoopbackHttpServer;
using testhttp::Reply;

class Tinyproxy {
 public:
  Tinyproxy(const std::string& user, const std::string& password) {
    for (const char* candidate : {"/usr/bin/tinyproxy", "/usr/sbin/tinyproxy"}) {
      if (std::filesystem::exists(candidate)) program_ = candidate;
    }
    if (program_.empty()) return;
    folder_ = std::filesystem::path(QUARLEN_BINARY_DIR) / "test-data" / ("tinyproxy-" + std::to_string(::getpid()));
    std::filesystem::create_directories(folder_);
    port_ = testhttp::UnusedPort();
    const std::string config = (folder_ / "tinyproxy.conf").string();
    std::ofstream(config) << "Port " << port_ << "\nListen 127.0.0.1\nTimeout 30\nLogLevel Info\n"
                          << "LogFile \"" << (folder_ / "tinyproxy.log").string() << "\"\n"
                          << "MaxClients 10\nAllow 127.0.0.1\nDisableViaHeader Yes\n"
                          << "BasicAuth " << user << " " << password << "\n";
    const char* argv[] = {program_.c_str(), "-d", "-c", config.c_str(), nullptr};
    if (::posix_spawn(&pid_, program_.c_str(), nullptr, nullptr, const_cast<char**>(argv), environ) != 0) pid_ = 0;
    // Up to 30 s: a loaded machine can be slow to start it.
    for (int i = 0; i < 600 && pid_ != 0 && !Listening(); ++i) {
      std::this_thread::sleep_for(std::chrono::milliseconds(50));
    }
  }
  ~Tinyproxy() {
    if (pid_ != 0) {
      ::kill(pid_, SIGTERM);
      ::waitpid(pid_, nullptr, 0);
    }
  }
  bool Running() const { return pid_ != 0 && Listening(); }
  int Port() const { return port_; }

 private:
  bool Listening() const {
    const int fd = ::socket(AF_INET, SOCK_STREAM, 0);
    sockaddr_in address{};
    address.sin_family = AF_INET;
    address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    address.sin_port = htons(static_cast<uint16_t>(port_));
    const bool ok = ::connect(fd, reinterpret_cast<sockaddr*>(&address), sizeof address) == 0;
    ::close(fd);
    return ok;
  }

  std::string program_;
  std::filesystem::path folder_;
  int port_ = 0;
  pid_t pid_ = 0;
};

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
