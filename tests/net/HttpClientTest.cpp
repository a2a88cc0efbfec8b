// The HTTP client against a scripted peer on loopback: the exact request bytes,
// how each kind of answer is read, and the failure texts the user sees.
#include "net/HttpClient.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <memory>
#include <optional>

#include "net/NetworkLoop.h"
#include "tests/support/LoopbackHttpServer.h"
#include "tests/support/QueuedUiThread.h"

namespace quarlen {
namespace {

using testhttp::LoopbackHttpServer;
using testhttp::Reply;
using testhttp::ScriptedReply;

const std::string Agent = "Quarlen Messenger 1.2.5.149 Debian GNU/Linux 12 (bookworm) (Kernel 6.1.0)";
const std::string Ok = "HTTP/1.1 200 OK\r\nContent-Length: 2\r\n\r\nok";

std::string ReplacePort(std::string text, int port) {
  for (auto at = text.find("{port}"); at != std::string::npos; at = text.find("{port}")) {
    text.replace(at, 6, std::to_string(port));
  }
  return text;
}

// The body, or the failure text and an empty body.
struct Fetched {
  std::string body;
  std::string error;
};

Fetched Fetch(THttpClient& client, const std::string& url) {
  try {
    return {client.Get(url), ""};
  } catch (const HttpError& e) {
    return {"", e.what()};
  }
}

Fetched AsyncFetch(THttpClient& client, test::QueuedUiThread& ui, const std::string& url) {
  std::optional<Fetched> result;
  client.AsyncGet(url, [&](std::exception_ptr failure, std::string body) {
    try {
      if (failure) std::rethrow_exception(failure);
      result = Fetched{std::move(body), ""};
    } catch (const HttpError& e) {
      result = Fetched{"", e.what()};
    }
  });
  if (!ui.RunUntil([&] { return result.has_value(); })) return {"", "no completion"};
  return *result;
}

struct RequestCase {
  const char* name;
  THttpClientKind kind;
  bool viaProxy;  // the scripted server plays the proxy
  bool authentication;
  const char* userName;
  const char* password;
  const char* url;  // "{port}" is the server's port
  const char* expected;
};

class RequestBytes : public ::testing::TestWithParam<RequestCase> {};

TEST_P(RequestBytes, GoOutExactly) {
  const RequestCase& c = GetParam();
  LoopbackHttpServer server({Reply(Ok)});
  THttpClient client(c.kind, nullptr);
  client.SetUserAgent(Agent);
  if (c.viaProxy) client.SetProxy({"127.0.0.1", server.Port(), c.authentication, c.userName, c.password});

  EXPECT_EQ(client.Get(ReplacePort(c.url, server.Port())), "ok");
  ASSERT_EQ(server.Heads().size(), 1u);
  EXPECT_EQ(server.Heads()[0], ReplacePort(c.expected, server.Port()) + "User-Agent: " + Agent + "\r\n\r\n") << c.name;
}

// Lines up to "Accept"; the test adds "User-Agent" and the empty line.
INSTANTIATE_TEST_SUITE_P(
    HttpClient, RequestBytes,
    ::testing::Values(
        RequestCase{"MainDirect", THttpClientKind::MainClient, false, false, "", "",
                    "http://127.0.0.1:{port}/feeds/messenger4.xml.win-1251",
                    "GET /feeds/messenger4.xml.win-1251 HTTP/1.1\r\nContent-Type: text/html\r\n"
                    "Cache-control: no-cache\r\nHost: 127.0.0.1:{port}\r\nAccept: text/html, */*\r\n"},
        RequestCase{"CheckDirectWithQuery", THttpClientKind::ConnectivityCheck, false, false, "", "",
                    "http://127.0.0.1:{port}/ping.php?version=1.2.5.149&email=",
                    "GET /ping.php?version=1.2.5.149&email= HTTP/1.1\r\nContent-Type: text/html\r\n"
                    "Host: 127.0.0.1:{port}\r\nAccept: text/html, */*\r\n"},
        RequestCase{"NoPathNoEncoding", THttpClientKind::MainClient, false, false, "", "",
                    "HTTP://127.0.0.1:{port}?q=a%20b|c",
                    "GET /?q=a%20b|c HTTP/1.1\r\nContent-Type: text/html\r\n"
                    "Cache-control: no-cache\r\nHost: 127.0.0.1:{port}\r\nAccept: text/html, */*\r\n"},
        RequestCase{"ProxyNoAuthenticationIgnoresFilledCredentials", THttpClientKind::MainClient, true, false, "trader",
                    "secret", "http://news.example/feeds/messenger4.xml.win-1251",
                    "GET http://news.example:80/feeds/messenger4.xml.win-1251 HTTP/1.1\r\nContent-Type: text/html\r\n"
                    "Cache-control: no-cache\r\nHost: news.example\r\nAccept: text/html, */*\r\n"},
        RequestCase{"ProxyUrlWithPort", THttpClientKind::ConnectivityCheck, true, false, "", "",
                    "http://news.example:8421/download/version.txt#top",
                    "GET http://news.example:8421/download/version.txt HTTP/1.1\r\nContent-Type: text/html\r\n"
                    "Host: news.example:8421\r\nAccept: text/html, */*\r\n"}),
    [](const auto& info) { return std::string(info.param.name); });

// Proxy-Authorization sits between User-Agent and Cookie, so these spell out the whole request.
TEST(HttpClient, ProxyAuthorizationCarriesBase64OfNameColonPassword) {
  struct {
    const char* user;
    const char* password;
    const char* header;
  } cases[] = {
      {"trader", "secret", "Basic dHJhZGVyOnNlY3JldA=="},
      {"trader", "", "Basic dHJhZGVyOg=="},  // the user name and the colon only
      {"", "", "Basic Og=="},
  };
  for (const auto& c : cases) {
    LoopbackHttpServer server({Reply(Ok)});
    THttpClient client(THttpClientKind::MainClient, nullptr);
    client.SetUserAgent(Agent);
    client.SetProxy({"127.0.0.1", server.Port(), true, c.user, c.password});
    client.Get("http://news.example/feeds/messenger4.xml.win-1251");
    ASSERT_EQ(server.Heads().size(), 1u);
    EXPECT_EQ(server.Heads()[0],
              "GET http://news.example:80/feeds/messenger4.xml.win-1251 HTTP/1.1\r\nContent-Type: text/html\r\n"
              "Cache-control: no-cache\r\nHost: news.example\r\nAccept: text/html, */*\r\nUser-Agent: " +
                  Agent + "\r\nProxy-Authorization: " + c.header + "\r\n\r\n");
  }
}

TEST(HttpClient, CookiesGoBackToTheHostThatSetThemOnly) {
  LoopbackHttpServer proxy(
      {Reply("HTTP/1.1 200 OK\r\nSet-Cookie: session=abc; Path=/; Expires=Wed, 09 Jun 2038 10:18:14 GMT\r\n"
             "set-cookie2: v2=\"x,y\"; Version=1, other=2\r\nContent-Length: 0\r\n\r\n",
             false),
       Reply("HTTP/1.1 200 OK\r\nSet-Cookie: session=def\r\nSet-Cookie: other=; Max-Age=0\r\n"
             "Set-Cookie: gone=1; Expires=Thu, 01 Jan 1970 00:00:01 GMT\r\nContent-Length: 0\r\n\r\n",
             false),
       Reply(Ok, false), Reply(Ok, false)});
  THttpClient client(THttpClientKind::MainClient, nullptr);
  client.SetProxy({"127.0.0.1", proxy.Port(), true, "u", "p"});
  client.Get("http://feeds.example/a");
  client.Get("http://FEEDS.example/b");
  client.Get("http://feeds.example/c");
  client.Get("http://charts.example/d");

  const auto requests = proxy.Heads();
  ASSERT_EQ(requests.size(), 4u);
  EXPECT_EQ(requests[0].find("Cookie:"), std::string::npos);
  EXPECT_NE(requests[1].find("Proxy-Authorization: Basic dTpw\r\nCookie: session=abc; v2=\"x,y\"; other=2\r\n\r\n"),
            std::string::npos)
      << requests[1];
  EXPECT_NE(requests[2].find("\r\nCookie: session=def; v2=\"x,y\"\r\n\r\n"), std::string::npos) << requests[2];
  EXPECT_EQ(requests[3].find("Cookie:"), std::string::npos);
}

struct ResponseCase {
  const char* name;
  ScriptedReply reply;
  std::string body;   // expected body when error is null
  const char* error;  // expected failure text
};

class ResponseReading : public ::testing::TestWithParam<ResponseCase> {};

// Every row runs on the blocking client and on the asynchronous one.
TEST_P(ResponseReading, GivesBodyOrFailureText) {
  const ResponseCase& c = GetParam();
  NetworkLoop loop;
  test::QueuedUiThread ui;
  for (const bool async : {false, true}) {
    LoopbackHttpServer server({c.reply});
    auto client = async ? std::make_unique<THttpClient>(THttpClientKind::MainClient, loop, ui)
                        : std::make_unique<THttpClient>(THttpClientKind::MainClient, nullptr);
    client->SetBodyCap(16);
    // Long beside the pauses of the script, even on a loaded machine; an
    // answer the client cannot read fails the row instead of hanging the suite.
    client->SetReadTimeout(std::chrono::seconds(20));
    const auto [body, error] = async ? AsyncFetch(*client, ui, server.Url("/x")) : Fetch(*client, server.Url("/x"));
    if (c.error == nullptr) {
      EXPECT_EQ(body, c.body) << (async ? "async" : "blocking");
    } else {
      EXPECT_EQ(error, c.error) << (async ? "async" : "blocking");
    }
    EXPECT_EQ(server.Heads().size(), 1u) << "a redirect or retry must not send another request";
  }
}

INSTANTIATE_TEST_SUITE_P(
    HttpClient, ResponseReading,
    ::testing::Values(
        ResponseCase{"CountedInPieces",
                     {{"HTTP/1.1 200 OK\r\nContent-", "Length: 5\r\n\r\nhe", "llo"}, std::chrono::milliseconds(30)},
                     "hello",
                     nullptr},
        ResponseCase{"Chunked",
                     Reply("HTTP/1.1 200 OK\r\nTransfer-Encoding: chunked\r\n\r\n3\r\nabc\r\n2;x=y\r\nde\r\n0\r\n\r\n"),
                     "abcde", nullptr},
        ResponseCase{"UntilClose", Reply("HTTP/1.0 200 OK\r\nContent-Type: text/plain\r\n\r\nto the end"), "to the end",
                     nullptr},
        ResponseCase{"ContinueThenOk",
                     {{"HTTP/1.1 100 Continue\r\n\r\n", "HTTP/1.1 200 OK\r\nContent-Length: 3\r\n\r\nabc"},
                      std::chrono::milliseconds(20)},
                     "abc",
                     nullptr},
        ResponseCase{"NoContent", Reply("HTTP/1.1 204 No Content\r\n\r\n"), "", nullptr},
        ResponseCase{"BinaryBytesKept", Reply(std::string("HTTP/1.1 200 OK\r\nContent-Length: 4\r\n\r\n\x89PN\0", 43)),
                     std::string("\x89PN\0", 4), nullptr},
        ResponseCase{"CloseInsideCountedBody", Reply("HTTP/1.1 200 OK\r\nContent-Length: 10\r\n\r\nabc"), "abc",
                     nullptr},
        ResponseCase{"CloseInsideHeaderLines", Reply("HTTP/1.1 200 OK\r\nServer: scripted\r\nContent-Le"), "", nullptr},
        ResponseCase{"RedirectNotFollowed",
                     Reply("HTTP/1.1 302 Found\r\nLocation: http://127.0.0.1:1/elsewhere\r\nContent-Length: 0\r\n\r\n"),
                     "", "HTTP/1.1 302 Found"},
        ResponseCase{"LocationOnSuccess", Reply("HTTP/1.1 201 Created\r\nLocation: /new\r\nContent-Length: 0\r\n\r\n"),
                     "", "HTTP/1.1 201 Created"},
        ResponseCase{"MovedWithoutLocation", Reply("HTTP/1.1 301 Moved Permanently\r\n\r\n"), "",
                     "HTTP/1.1 301 Moved Permanently"},
        ResponseCase{"NotModified", Reply("HTTP/1.1 304 Not Modified\r\n\r\n"), "", "HTTP/1.1 304 Not Modified"},
        ResponseCase{"NotFoundAsReceived", Reply("HTTP/1.0 404  Nicht gefunden \r\nContent-Length: 3\r\n\r\nno!"), "",
                     "HTTP/1.0 404  Nicht gefunden "},
        ResponseCase{"ProxyChallengeNotAnswered",
                     Reply("HTTP/1.1 407 Proxy Authentication Required\r\nProxy-Authenticate: Basic\r\n\r\n"), "",
                     "HTTP/1.1 407 Proxy Authentication Required"},
        ResponseCase{"CloseBeforeStatusLine", Reply(""), "", "Connection Closed Gracefully."},
        ResponseCase{"CloseInsideStatusLine", Reply("HTTP/1.1 200"), "", "Connection Closed Gracefully."},
        ResponseCase{"CloseInsideChunks", Reply("HTTP/1.1 200 OK\r\nTransfer-Encoding: chunked\r\n\r\n5\r\nab"), "",
                     "Connection Closed Gracefully."},
        ResponseCase{"CountedOverCap", Reply("HTTP/1.1 200 OK\r\nContent-Length: 17\r\n\r\n"), "",
                     "The response is larger than the limit of 16 bytes."},
        ResponseCase{"ChunkedOverCap",
                     Reply("HTTP/1.1 200 OK\r\nTransfer-Encoding: chunked\r\n\r\n9\r\n123456789\r\n9\r\n123456789\r\n"),
                     "", "The response is larger than the limit of 16 bytes."},
        ResponseCase{"UntilCloseOverCap", Reply("HTTP/1.1 200 OK\r\n\r\n12345678901234567"), "",
                     "The response is larger than the limit of 16 bytes."},
        ResponseCase{"BareLineFeedsOnAnOpenConnection", Reply("HTTP/1.1 200 OK\nContent-Length: 2\n\nok", false), "ok",
                     nullptr},
        ResponseCase{"BareLineFeedsFailureStatus", Reply("HTTP/1.0 404 Not Found\nServer: x\n\n"), "",
                     "HTTP/1.0 404 Not Found"},
        ResponseCase{"ExtraBlanksInStatusLine", Reply("HTTP/1.0  404  Not   Found\r\n\r\n"), "",
                     "HTTP/1.0  404  Not   Found"},
        ResponseCase{"StatusWithoutReason", Reply("HTTP/1.1 200\r\nContent-Length: 2\r\n\r\nok"), "ok", nullptr},
        ResponseCase{"NotHttp", Reply("SSH-2.0-OpenSSH\r\n\r\n"), "", "Invalid HTTP response: bad version"}),
    [](const auto& info) { return std::string(info.param.name); });

TEST(HttpClient, CapCanBeRaisedPerRequest) {
  const std::string big(20, 'x');
  LoopbackHttpServer server({Reply("HTTP/1.1 200 OK\r\nContent-Length: 20\r\n\r\n" + big)});
  THttpClient client(THttpClientKind::MainClient, nullptr);
  client.SetBodyCap(16);
  EXPECT_EQ(client.Get(server.Url("/feed"), 20), big);
}

TEST(HttpClient, RefusedConnectionGivesSocketErrorText) {
  THttpClient client(THttpClientKind::ConnectivityCheck, nullptr);
  try {
    client.Get("http://127.0.0.1:" + std::to_string(testhttp::UnusedPort()) + "/ping.php");
    ADD_FAILURE() << "no failure";
  } catch (const HttpError& e) {
#ifdef _WIN32
    EXPECT_STREQ(e.what(), "Socket Error # 10061\r\nConnection refused.");
#else
    EXPECT_STREQ(e.what(), "Socket Error # 111\r\nConnection refused");
#endif
  }
}

TEST(HttpClient, RefusesUrlsItCannotSendSafely) {
  LoopbackHttpServer server({Reply(Ok)});
  const std::string live = "127.0.0.1:" + std::to_string(server.Port());
  const std::string controls = "Invalid URL: it contains control characters.";
  const std::pair<std::string, std::string> cases[] = {
      // the message, then the URL when it names one
      {"Unsupported URL: ", "https:" + live + "/"},
      {"Unsupported URL: ", "ftp://x/"},
      {"Invalid URL: ", "http:///path"},
      {"Invalid port in URL: ", "http://127.0.0.1:0/"},
      {"Invalid port in URL: ", "http://127.0.0.1:99999/"},
      {"Unsupported URL: ", "http://user@" + live + "/"},
      {controls, "http://" + live + "/a\r\nX-Evil: 1"},
      {controls, "http://" + live + "/a\nX-Evil: 1"},
      {controls, "http://" + live + "/a\tb\x7f"},
  };
  THttpClient client(THttpClientKind::MainClient, nullptr);
  for (const auto& [message, url] : cases) {
    try {
      client.Get(url);
      ADD_FAILURE() << "sent " << url;
    } catch (const HttpError& e) {
      EXPECT_EQ(e.what(), message == controls ? message : message + url);
    }
  }
  // The server takes connections one after another, so this request finds
  // any that a refused URL might have opened before it.
  EXPECT_EQ(client.Get(server.Url("/ok")), "ok");
  ASSERT_EQ(server.Heads().size(), 1u);
  EXPECT_EQ(server.Heads()[0].rfind("GET /ok HTTP/1.1\r\n", 0), 0u);
  EXPECT_EQ(server.Connections(), 1);
}

TEST(HttpClient, DefaultsAreTheProgramsLimits) {
  EXPECT_EQ(DefaultBodyCap, 4u * 1024 * 1024);
  EXPECT_EQ(FeedBodyCap, 16u * 1024 * 1024);
  const THttpClient client(THttpClientKind::MainClient, nullptr);
  EXPECT_EQ(client.BodyCap(), DefaultBodyCap);
  EXPECT_EQ(client.ConnectTimeout(), std::chrono::milliseconds(120000));
  EXPECT_EQ(client.ReadTimeout(), std::chrono::milliseconds(120000));
}

#ifndef _WIN32  // finds the client's socket through /proc/self/fd
// Whether the client's own socket to peerPort has keep-alive on (false when
// there is no such socket).
bool KeepAliveTowards(int peerPort) {
  for (const auto& entry : std::filesystem::directory_iterator("/proc/self/fd")) {
    const int fd = std::stoi(entry.path().filename().string());
    sockaddr_in peer{};
    socklen_t length = sizeof peer;
    int on = 0;
    if (::getpeername(fd, reinterpret_cast<sockaddr*>(&peer), &length) == 0 && peer.sin_family == AF_INET &&
        ntohs(peer.sin_port) == peerPort) {
      length = sizeof on;
      return ::getsockopt(fd, SOL_SOCKET, SO_KEEPALIVE, &on, &length) == 0 && on != 0;
    }
  }
  return false;
}

TEST(HttpClient, HalfOpenConnectionTimesOutAndTheNextRequestGetsAFreshOne) {
  // The kept connection answers once, then never again: a peer gone away.
  LoopbackHttpServer server({Reply(Ok, false), ScriptedReply{{}, {}, true, true}, Reply(Ok)});
  bool keepAlive = false;
  THttpClient client(THttpClientKind::MainClient, [&] {
    if (server.Heads().size() == 2) keepAlive = KeepAliveTowards(server.Port());
  });
  // Short only for the request that never gets its answer: the two that do
  // keep the default, however slowly a loaded machine serves them.
  const auto readTimeout = client.ReadTimeout();
  EXPECT_EQ(client.Get(server.Url("/a")), "ok");
  client.SetReadTimeout(std::chrono::milliseconds(300));
  try {
    client.Get(server.Url("/b"));
    ADD_FAILURE() << "no failure";
  } catch (const HttpError& e) {
    EXPECT_STREQ(e.what(), "Read timed out.");
  }
  EXPECT_TRUE(keepAlive);
  EXPECT_FALSE(client.Busy());
  server.Hangup();
  client.SetReadTimeout(readTimeout);
  EXPECT_EQ(client.Get(server.Url("/c")), "ok");
  EXPECT_EQ(server.Connections(), 2);
}
#endif

TEST(HttpClient, DripPastTheTransferDeadlineFailsAndTheClientStaysUsable) {
  // A good header, then one byte every 5 ms for longer than any run of the
  // suite: never silent long enough for the read limit, so only the
  // whole-transfer deadline can end it.
  ScriptedReply drip{{"HTTP/1.1 200 OK\r\nContent-Length: 200000\r\n\r\n"}, std::chrono::milliseconds(5), true, false};
  drip.parts.resize(200001, "x");
  LoopbackHttpServer server({drip, Reply(Ok)});
  int pumps = 0;
  THttpClient client(THttpClientKind::MainClient, [&] { ++pumps; });
  client.SetTransferDeadline(std::chrono::milliseconds(300));
  try {
    client.Get(server.Url("/feed"));
    ADD_FAILURE() << "no failure";
  } catch (const HttpDeadlineError& e) {
    EXPECT_STREQ(e.what(), "Transfer timed out: the server did not complete its answer within 300 ms.");
  }
  EXPECT_GT(pumps, 1);  // bytes did arrive: the read limit was never what ended it
  EXPECT_FALSE(client.Busy());
  // A deadline of the request's own outranks the client's.
  EXPECT_EQ(client.Get(server.Url("/next"), DefaultBodyCap, std::chrono::seconds(60)), "ok");
  EXPECT_EQ(server.Connections(), 2);
}

TEST(HttpClient, WaitingPumpsMessagesAndRefusesASecondRequest) {
  LoopbackHttpServer server({ScriptedReply{{}, {}, true, true}});
  int pumps = 0;
  std::string refusal;
  THttpClient* self = nullptr;
  THttpClient client(THttpClientKind::ConnectivityCheck, [&] {
    // A timer that fires in the middle of a request and wants the same client.
    if (++pumps == 2) {
      try {
        self->Get(server.Url("/again"));
      } catch (const HttpError& e) {
        refusal = e.what();
      }
    }
    if (pumps == 5) server.Hangup();
  });
  self = &client;
  EXPECT_THROW(client.Get(server.Url("/slow")), HttpError);
  EXPECT_GE(pumps, 5);
  EXPECT_EQ(refusal, "The HTTP client is still busy with another request.");
  EXPECT_FALSE(client.Busy());
  EXPECT_EQ(server.Heads().size(), 1u);
}

TEST(HttpClient, PumpThatThrowsAbortsTheRequestAndTheClientStaysUsable) {
  LoopbackHttpServer server({ScriptedReply{{}, {}, true, true}, Reply(Ok)});
  bool abort = true;
  // Throw only once the server holds the request, so the script's first
  // (silent) reply is the one the aborted request gets, whatever the timing.
  THttpClient client(THttpClientKind::MainClient, [&] {
    if (abort && !server.Heads().empty()) throw std::runtime_error("window closed");
  });
  EXPECT_THROW(client.Get(server.Url("/slow")), std::runtime_error);
  EXPECT_FALSE(client.Busy());
  abort = false;
  server.Hangup();
  EXPECT_EQ(client.Get(server.Url("/next")), "ok");
}

TEST(HttpClient, MainClientPumpsAfterEveryBlock) {
  LoopbackHttpServer server(
      {{{"HTTP/1.1 200 OK\r\nContent-Length: 6\r\n\r\nab", "cd", "ef"}, std::chrono::milliseconds(40)}});
  int pumps = 0;
  THttpClient client(THttpClientKind::MainClient, [&] { ++pumps; });
  EXPECT_EQ(client.Get(server.Url("/")), "abcdef");
  EXPECT_GE(pumps, 4);  // the request sent, three blocks received
}

TEST(HttpClient, KeepAliveReuseFollowsTheServersWord) {
  struct {
    const char* name;
    std::string reply;
    THttpClientKind kind;
    int connections;  // for three requests
  } cases[] = {
      {"kept", Ok, THttpClientKind::MainClient, 1},
      {"Connection close", "HTTP/1.1 200 OK\r\nConnection:  Close \r\nContent-Length: 2\r\n\r\nok",
       THttpClientKind::MainClient, 3},
      {"Proxy-Connection close", "HTTP/1.1 200 OK\r\nProxy-Connection: CLOSE\r\nContent-Length: 2\r\n\r\nok",
       THttpClientKind::MainClient, 3},
      {"HTTP/1.0 without keep-alive", "HTTP/1.0 200 OK\r\nContent-Length: 2\r\n\r\nok", THttpClientKind::MainClient, 3},
      {"failure status", "HTTP/1.1 404 Not Found\r\nContent-Length: 2\r\n\r\nno", THttpClientKind::MainClient, 3},
  };
  for (const auto& c : cases) {
    // The server keeps its end open; only the client decides.
    LoopbackHttpServer server({Reply(c.reply, false), Reply(c.reply, false), Reply(c.reply, false)});
    THttpClient client(c.kind, nullptr);
    for (int i = 0; i < 3; ++i) {
      try {
        client.Get(server.Url("/r" + std::to_string(i)));
      } catch (const HttpError&) {
      }
    }
    EXPECT_EQ(server.Heads().size(), 3u) << c.name;
    EXPECT_EQ(server.Connections(), c.connections) << c.name;
  }
}

TEST(HttpClient, ConnectionClosedWhileIdleIsReplacedQuietly) {
  // The server promises nothing about closing and closes after every answer.
  LoopbackHttpServer server({Reply(Ok), Reply(Ok), Reply(Ok)});
  THttpClient client(THttpClientKind::MainClient, nullptr);
  for (int i = 0; i < 3; ++i) EXPECT_EQ(client.Get(server.Url("/")), "ok");
  EXPECT_EQ(server.Connections(), 3);
}

TEST(HttpClient, KeptConnectionGetsOneRetryAndAFreshOneNone) {
  // A close without a word, as nginx's "return 444", a web filter or a load
  // balancer without a backend answer.
  const ScriptedReply closeUnanswered = Reply("");
  const ScriptedReply kept = Reply(Ok, false);
  const std::string closed = "Connection Closed Gracefully.";
  using std::chrono::milliseconds;
  struct {
    const char* name;
    std::vector<ScriptedReply> script;
    std::vector<std::string> outcomes;  // of two requests: the body, or the failure text
    std::size_t requests;               // that reached the server
    int connections;
    milliseconds keptIdleLimit = DefaultKeptIdleLimit;
    milliseconds asleepBetween{0};  // the machine's sleep between the two
  } cases[] = {
      {"kept one closed: once more on a fresh one", {kept, closeUnanswered, Reply(Ok)}, {"ok", "ok"}, 3, 2},
      {"the fresh one closed too: no third try",
       {kept, closeUnanswered, closeUnanswered, Reply(Ok)},
       {"ok", closed},
       3,
       2},
      {"a fresh one closed: never sent twice", {closeUnanswered, closeUnanswered, Reply(Ok)}, {closed, closed}, 2, 2},
      {"idle past the limit: a new connection at once", {kept, kept}, {"ok", "ok"}, 2, 2, milliseconds(0)},
      {"kept across a sleep: a new connection at once",
       {kept, kept},
       {"ok", "ok"},
       2,
       2,
       DefaultKeptIdleLimit,
       milliseconds(5000)},
  };
  for (const auto& c : cases) {
    LoopbackHttpServer server(c.script);
    THttpClient client(THttpClientKind::MainClient, nullptr);
    client.SetKeptIdleLimit(c.keptIdleLimit);
    milliseconds asleep{0};
    client.SetSleepClock([&asleep] { return asleep; });
    for (std::size_t i = 0; i < c.outcomes.size(); ++i) {
      if (i > 0) asleep = c.asleepBetween;
      const Fetched fetched = Fetch(client, server.Url("/r" + std::to_string(i)));
      EXPECT_EQ(fetched.error.empty() ? fetched.body : fetched.error, c.outcomes[i]) << c.name << " " << i;
    }
    EXPECT_EQ(server.Heads().size(), c.requests) << c.name;
    EXPECT_EQ(server.Connections(), c.connections) << c.name;
  }
}

TEST(HttpClient, ChangingTheProxyChangesTheConnection) {
  LoopbackHttpServer proxy({Reply(Ok, false)});
  LoopbackHttpServer direct({Reply(Ok, false)});
  THttpClient client(THttpClientKind::MainClient, nullptr);
  client.SetProxy({"127.0.0.1", proxy.Port(), true, "u", "p"});
  client.Get("http://127.0.0.1:" + std::to_string(direct.Port()) + "/a");
  client.ResetProxy();
  client.Get(direct.Url("/a"));
  ASSERT_EQ(direct.Heads().size(), 1u);
  EXPECT_EQ(direct.Heads()[0].find("Proxy-Authorization"), std::string::npos);
  EXPECT_EQ(direct.Heads()[0].rfind("GET /a HTTP/1.1\r\n", 0), 0u);
}

#ifndef _WIN32  // fills the backlog with non-blocking POSIX sockets
TEST(HttpClient, ConnectThatNeverCompletesTimesOut) {
  // A listener whose accept queue is full drops further connection attempts.
  int port = 0;
  const int listener = testhttp::ListenOnLoopback(0, port);
  std::vector<int> fillers;
  sockaddr_in address{};
  address.sin_family = AF_INET;
  address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
  address.sin_port = htons(static_cast<uint16_t>(port));
  for (int i = 0; i < 4; ++i) {
    const int fd = ::socket(AF_INET, SOCK_STREAM | SOCK_NONBLOCK, 0);
    ::connect(fd, reinterpret_cast<sockaddr*>(&address), sizeof address);
    fillers.push_back(fd);
  }
  int pumps = 0;
  THttpClient client(THttpClientKind::MainClient, [&] { ++pumps; });
  client.SetConnectTimeout(std::chrono::milliseconds(600));
  try {
    client.Get("http://127.0.0.1:" + std::to_string(port) + "/");
    ADD_FAILURE() << "no failure";
  } catch (const HttpError& e) {
    EXPECT_STREQ(e.what(), "Connect timed out.");
  }
  EXPECT_GE(pumps, 1);
  for (int fd : fillers) ::close(fd);
  ::close(listener);
}
#endif

}  // namespace
}  // namespace quarlen
