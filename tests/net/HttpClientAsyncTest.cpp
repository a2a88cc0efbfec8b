// The asynchronous client: its limits hold whatever else is in flight, and a
// cancelled or destroyed request never delivers.
#include <gtest/gtest.h>

#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "net/HttpClient.h"
#include "net/NetworkLoop.h"
#include "tests/support/LoopbackHttpServer.h"
#include "tests/support/QueuedUiThread.h"

namespace quarlen {
namespace {

using std::chrono::milliseconds;
using testhttp::LoopbackHttpServer;
using testhttp::Reply;
using testhttp::ScriptedReply;

const std::string Ok = "HTTP/1.1 200 OK\r\nContent-Length: 2\r\n\r\nok";
const ScriptedReply Silent{{}, {}, true, true};

// The failure text of a completion, or the body prefixed with "body:".
std::string Outcome(std::exception_ptr failure, const std::string& body) {
  if (!failure) return "body:" + body;
  try {
    std::rethrow_exception(failure);
  } catch (const HttpError& e) {
    return e.what();
  }
}

TEST(HttpClientAsync, EachLimitHoldsWhileAnotherRequestWaits) {
  ScriptedReply drip{{"HTTP/1.1 200 OK\r\nContent-Length: 200000\r\n\r\n"}, milliseconds(5), true, false};
  drip.parts.resize(200001, "x");
  struct {
    const char* name;
    ScriptedReply reply;
    milliseconds readTimeout;
    milliseconds deadline;
    const char* expected;
  } cases[] = {
      {"silence", Silent, milliseconds(300), std::chrono::seconds(60), "Read timed out."},
      {"drip", drip, std::chrono::seconds(60), milliseconds(300),
       "Transfer timed out: the server did not complete its answer within 300 ms."},
  };
  NetworkLoop loop;
  test::QueuedUiThread ui;
  for (auto& c : cases) {
    // A request that nothing will answer in this test's lifetime holds the
    // network thread's attention; the row's request must end by itself.
    LoopbackHttpServer stuck({Silent});
    THttpClient waiting(THttpClientKind::MainClient, loop, ui);
    std::optional<std::string> waited;
    waiting.AsyncGet(stuck.Url("/feed"),
                     [&](std::exception_ptr failure, std::string body) { waited = Outcome(failure, body); });

    LoopbackHttpServer server({c.reply});
    THttpClient client(THttpClientKind::ConnectivityCheck, loop, ui);
    client.SetReadTimeout(c.readTimeout);
    std::optional<std::string> got;
    client.AsyncGet(server.Url("/ping.php"), DefaultBodyCap, c.deadline,
                    [&](std::exception_ptr failure, std::string body) { got = Outcome(failure, body); });
    ASSERT_TRUE(ui.RunUntil([&] { return got.has_value(); })) << c.name;
    EXPECT_EQ(*got, c.expected) << c.name;
    EXPECT_FALSE(waited.has_value()) << c.name;
    EXPECT_TRUE(waiting.Busy()) << c.name;
    EXPECT_FALSE(client.Busy()) << c.name;
    stuck.Hangup();
    server.Hangup();
  }
}

TEST(HttpClientAsync, RefusalsArriveThroughTheCompletion) {
  LoopbackHttpServer server({Silent, Reply(Ok)});
  NetworkLoop loop;
  test::QueuedUiThread ui;
  THttpClient client(THttpClientKind::MainClient, loop, ui);
  std::vector<std::string> outcomes;
  auto record = [&](std::exception_ptr failure, std::string body) { outcomes.push_back(Outcome(failure, body)); };

  client.AsyncGet("ftp://x/", record);
  ASSERT_TRUE(ui.RunUntil([&] { return outcomes.size() == 1; }));
  EXPECT_FALSE(client.Busy());

  // A second request while the first waits is refused; the first, cancelled,
  // never reports; the client then takes the next request.
  bool cancelledRan = false;
  client.AsyncGet(server.Url("/slow"), [&](std::exception_ptr, std::string) { cancelledRan = true; });
  client.AsyncGet(server.Url("/again"), record);
  ASSERT_TRUE(ui.RunUntil([&] { return outcomes.size() == 2 && !server.Heads().empty(); }));
  client.Cancel();
  ASSERT_TRUE(ui.RunUntil([&] { return !client.Busy(); }));
  server.Hangup();
  client.AsyncGet(server.Url("/next"), record);
  ASSERT_TRUE(ui.RunUntil([&] { return outcomes.size() == 3; }));

  EXPECT_EQ(outcomes, (std::vector<std::string>{"Unsupported URL: ftp://x/",
                                                "The HTTP client is still busy with another request.", "body:ok"}));
  EXPECT_FALSE(cancelledRan);
  EXPECT_EQ(server.Heads().size(), 2u);
}

TEST(HttpClientAsync, ClientDestroyedMidRequestNeverDelivers) {
  LoopbackHttpServer server({Silent});
  NetworkLoop loop;
  test::QueuedUiThread ui;
  bool ran = false;
  {
    THttpClient client(THttpClientKind::MainClient, loop, ui);
    client.AsyncGet(server.Url("/slow"), [&](std::exception_ptr, std::string) { ran = true; });
    ASSERT_TRUE(ui.RunUntil([&] { return !server.Heads().empty(); }));
  }
  server.Hangup();
  // Whatever the network thread still posts runs here and must not call back.
  ui.RunUntil([] { return false; }, milliseconds(200));
  EXPECT_FALSE(ran);
}

#if !QUARLEN_TLS
// A build without TLS refuses an https URL before any connection is made, with
// one line of text, and the client takes the next request.
TEST(HttpClientAsync, WithoutTlsAnHttpsUrlFailsBeforeConnecting) {
  LoopbackHttpServer server({Reply(Ok)});
  NetworkLoop loop;
  test::QueuedUiThread ui;
  THttpClient client(THttpClientKind::MainClient, loop, ui);
  const std::string secure = "https://127.0.0.1:" + std::to_string(server.Port()) + "/feed";
  std::vector<std::string> outcomes;
  auto record = [&](std::exception_ptr failure, std::string body) { outcomes.push_back(Outcome(failure, body)); };
  client.AsyncGet(secure, record);
  ASSERT_TRUE(ui.RunUntil([&] { return outcomes.size() == 1; }));
  EXPECT_EQ(server.Connections(), 0);
  client.AsyncGet(server.Url("/ok"), record);
  ASSERT_TRUE(ui.RunUntil([&] { return outcomes.size() == 2; }));
  EXPECT_EQ(outcomes, (std::vector<std::string>{"https is not available in this build: " + secure, "body:ok"}));
  EXPECT_EQ(server.Connections(), 1);
}
#endif

}  // namespace
}  // namespace quarlen
