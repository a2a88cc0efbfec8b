// The usage ping and the update check against a feed server scripted in the
// test, on 127.0.0.1.
#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <chrono>
#include <optional>
#include <stdexcept>
#include <string>
#include <vector>

#include "platform/UiPorts.h"
#include "service/ServiceCalls.h"
#include "tests/support/LoopbackHttpServer.h"
#include "tests/support/ServiceCallsFixture.h"

namespace quarlen {
namespace {

using testhttp::LoopbackHttpServer;
using testhttp::ScriptedResponse;
using ::testing::ElementsAre;
using ::testing::HasSubstr;
using ::testing::Not;
using ::testing::StartsWith;
using Program = testservice::ServiceProgram;

// Answers as a plain feed server does: no content type, connection closed.
ScriptedResponse Answer() {
  ScriptedResponse answer;
  answer.contentType.clear();
  answer.close = true;
  return answer;
}

const std::string Question = std::string("Confirm|") + UpdateQuestion;

// ---------------------------------------------------------------------------
// PingServer

TEST(PingServer, SuccessSendsVersionAndEmptyEmailAndKeepsConnected) {
  LoopbackHttpServer server;
  server.Set("/ping.php", "");
  Program program(server.BaseUrl());
  EXPECT_TRUE(program.Ping());
  EXPECT_THAT(program.statusBar.texts, ElementsAre("Connected"));
  EXPECT_THAT(server.RequestLines(), ElementsAre("GET /ping.php?version=1.2.5.149&email= HTTP/1.1"));
  const std::string head = server.Heads().at(0);
  EXPECT_THAT(head, HasSubstr("\r\nUser-Agent: Quarlen Messenger 1.2.5.149 Test"));
  // The connectivity-check client asks for no cache control.
  EXPECT_THAT(head, Not(HasSubstr("Cache-control")));
  EXPECT_EQ(program.profilesApplied, 1);
}

TEST(PingServer, EmailIsSentUnencodedAndTheBodyIgnored) {
  LoopbackHttpServer server;
  server.Set("/ping.php", "<html>thanks</html>");
  Program program(server.BaseUrl(), "trader+news@example.org");
  EXPECT_TRUE(program.Ping());
  EXPECT_THAT(server.RequestLines(),
              ElementsAre("GET /ping.php?version=1.2.5.149&email=trader+news@example.org HTTP/1.1"));
}

TEST(PingServer, FailureStatusShowsTheStatusLine) {
  struct Case {
    const char* statusLine;
    const char* extraHeaders;
  };
  for (const Case& c : {Case{"HTTP/1.1 404 Not Found", ""}, Case{"HTTP/1.1 500 Internal Server Error", ""},
                        Case{"HTTP/1.1 302 Found", "Location: http://127.0.0.1:1/elsewhere\r\n"}}) {
    SCOPED_TRACE(c.statusLine);
    LoopbackHttpServer server;
    ScriptedResponse answer = Answer();
    answer.statusLine = c.statusLine;
    answer.extraHeaders = c.extraHeaders;
    server.Set("/ping.php", answer);
    Program program(server.BaseUrl());
    EXPECT_FALSE(program.Ping());
    EXPECT_THAT(program.statusBar.texts, ElementsAre("Connected", c.statusLine));
  }
}

TEST(PingServer, UnreachableServerShowsTheSocketError) {
  std::string base;
  {
    LoopbackHttpServer gone;  // a port that nothing listens on once the server is gone
    base = gone.BaseUrl();
  }
  Program program(base);
  EXPECT_FALSE(program.Ping());
  ASSERT_EQ(program.statusBar.texts.size(), 2u);
  EXPECT_EQ(program.statusBar.texts[0], "Connected");
  EXPECT_THAT(program.statusBar.texts[1], StartsWith("Socket Error # "));
}

// ---------------------------------------------------------------------------
// CheckForUpdates

TEST(CheckForUpdates, AsksOnlyForANewerDottedVersion) {
  struct Case {
    const char* body;
    bool asks;
  };
  const Case cases[] = {
      {"1.2.5.150", true},
      {"1.2.6.0", true},
      {"1.2.10.0", true},  // ten is more than five, whatever the digits say
      {"1.3", true},
      {"2", true},
      {"1.2.5.149.1", true},
      {"01.02.05.150", true},
      {"1.2.5.99999999999999999999999999", true},
      {"1.2.5.149", false},
      {"1.2.5.149\r\n", false},
      {"1.2.5.149\n", false},
      {"  1.2.5.149\t\r\n", false},
      {"\xEF\xBB\xBF"
       "1.2.5.149\r\n",
       false},
      {"1.2.5.149.0", false},
      {"1.2.5.148", false},
      {"1.2.5", false},
      {"1.1.99.999", false},
      {"0.9", false},
      {"<html><body>Not here</body></html>", false},
      {"", false},
      {"\r\n", false},
      {"v1.2.6.0", false},
      {"1.2.6.0 beta", false},
      {"1.2..6", false},
      {"1.2.6.", false},
      {".1.2.6", false},
      {"1.2.6.0\r\n1.2.7.0", false},
      {"-1.2.6.0", false},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(::testing::PrintToString(std::string(c.body)));
    LoopbackHttpServer server;
    server.Set("/ping.php", "");
    server.Set("/download/version.txt", c.body);
    server.Set("/download/dlurl.txt", "http://127.0.0.1:1/setup.exe");
    Program program(server.BaseUrl());
    program.boxes.answer = false;
    program.CheckForUpdates();
    if (c.asks) {
      EXPECT_THAT(program.boxes.questions, ElementsAre(Question));
    } else {
      EXPECT_THAT(program.boxes.questions, ElementsAre());
    }
    // "No", or no question: dlurl.txt is never asked for and the program runs on.
    EXPECT_THAT(server.RequestLines(), ElementsAre(StartsWith("GET /ping.php?"), "GET /download/version.txt HTTP/1.1"));
    EXPECT_THAT(program.opener.opened, ElementsAre());
    EXPECT_EQ(program.window.terminated, 0);
    EXPECT_THAT(program.statusBar.texts, ElementsAre("Connected"));
  }
}

TEST(CheckForUpdates, YesOpensOnlyAGoodDownloadAddressAndThenEnds) {
  struct Case {
    const char* body;
    const char* opened;  // nullptr: nothing is opened and the program runs on
  };
  const Case cases[] = {
      {"http://127.0.0.1:8421/download/", "http://127.0.0.1:8421/download/"},
      {"http://downloads.example.org/setup.exe\r\n", "http://downloads.example.org/setup.exe"},
      {"  https://example.org/q?v=1.2.6.0&os=linux \n", "https://example.org/q?v=1.2.6.0&os=linux"},
      {"HTTPS://Example.org/Setup", "HTTPS://Example.org/Setup"},
      {"ftp://example.org/setup.exe", nullptr},
      {"file:///etc/passwd", nullptr},
      {"javascript:alert(1)", nullptr},
      {"example.org/setup.exe", nullptr},
      {"http://", nullptr},
      {"http:///setup.exe", nullptr},
      {"http://example.org/setup one.exe", nullptr},
      {"http://example.org/a\r\nhttp://example.org/b", nullptr},
      {"<html><head><title>404</title></head></html>", nullptr},
      {"", nullptr},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(::testing::PrintToString(std::string(c.body)));
    LoopbackHttpServer server;
    server.Set("/ping.php", "");
    server.Set("/download/version.txt", "1.2.6.0\r\n");
    server.Set("/download/dlurl.txt", c.body);
    Program program(server.BaseUrl());
    program.boxes.answer = true;
    program.CheckForUpdates();
    EXPECT_THAT(program.boxes.questions, ElementsAre(Question));
    EXPECT_THAT(server.RequestLines(), ElementsAre(StartsWith("GET /ping.php?"), "GET /download/version.txt HTTP/1.1",
                                                   "GET /download/dlurl.txt HTTP/1.1"));
    if (c.opened) {
      EXPECT_THAT(program.opener.opened, ElementsAre(c.opened));
      EXPECT_EQ(program.window.terminated, 1);
    } else {
      EXPECT_THAT(program.opener.opened, ElementsAre());
      EXPECT_EQ(program.window.terminated, 0);
    }
  }
}

TEST(CheckForUpdates, FailedDownloadAddressKeepsTheProgramRunning) {
  LoopbackHttpServer server;
  server.Set("/ping.php", "");
  server.Set("/download/version.txt", "1.2.6.0");
  // dlurl.txt is not set: the server answers 404.
  Program program(server.BaseUrl());
  program.boxes.answer = true;
  program.CheckForUpdates();
  EXPECT_THAT(program.boxes.questions, ElementsAre(Question));
  EXPECT_THAT(program.opener.opened, ElementsAre());
  EXPECT_EQ(program.window.terminated, 0);
  EXPECT_THAT(program.boxes.messages, ElementsAre());
  EXPECT_THAT(program.statusBar.texts, ElementsAre("Connected"));
}

TEST(CheckForUpdates, FailedVersionFileIsSilent) {
  LoopbackHttpServer server;
  server.Set("/ping.php", "");
  ScriptedResponse broken = Answer();
  broken.statusLine = "HTTP/1.1 503 Service Unavailable";
  server.Set("/download/version.txt", broken);
  Program program(server.BaseUrl());
  program.boxes.answer = true;
  program.CheckForUpdates();
  EXPECT_THAT(program.boxes.questions, ElementsAre());
  EXPECT_THAT(program.statusBar.texts, ElementsAre("Connected"));
  EXPECT_EQ(server.RequestLines().size(), 2u);
}

TEST(CheckForUpdates, StopsWhenThePingFails) {
  LoopbackHttpServer server;
  ScriptedResponse down = Answer();
  down.statusLine = "HTTP/1.1 500 Internal Server Error";
  server.Set("/ping.php", down);
  server.Set("/download/version.txt", "9.9.9.9");
  Program program(server.BaseUrl());
  program.boxes.answer = true;
  program.CheckForUpdates();
  EXPECT_THAT(program.statusBar.texts, ElementsAre("Connected", "HTTP/1.1 500 Internal Server Error"));
  EXPECT_THAT(server.RequestLines(), ElementsAre(StartsWith("GET /ping.php?")));
  EXPECT_THAT(program.boxes.questions, ElementsAre());
}

TEST(CheckForUpdates, VersionRequestGoesOutWithTheProfile) {
  LoopbackHttpServer server;
  server.Set("/ping.php", "");
  server.Set("/download/version.txt", "1.2.5.149");
  Program program(server.BaseUrl());
  program.CheckForUpdates();
  const auto heads = server.Heads();
  ASSERT_EQ(heads.size(), 2u);
  EXPECT_THAT(heads[1], HasSubstr("\r\nUser-Agent: Quarlen Messenger 1.2.5.149 Test"));
  EXPECT_EQ(program.profilesApplied, 2);  // the ping's client and the check's own
}

TEST(CheckForUpdates, ASecondCheckWhileTheQuestionIsOpenDoesNothing) {
  LoopbackHttpServer server;
  server.Set("/ping.php", "");
  server.Set("/download/version.txt", "1.2.6.0");
  server.Set("/download/dlurl.txt", "http://127.0.0.1:8421/download/");
  Program program(server.BaseUrl());
  program.boxes.answer = true;
  // The hourly timer fires while the modal question is open.
  program.boxes.onConfirm = [&] { program.calls.CheckForUpdates(); };
  program.CheckForUpdates();
  EXPECT_EQ(program.boxes.questions.size(), 1u);
  EXPECT_EQ(server.RequestLines().size(), 3u);
  EXPECT_THAT(program.opener.opened, ElementsAre("http://127.0.0.1:8421/download/"));
  EXPECT_EQ(program.window.terminated, 1);

  // Once it is over, the next check runs again.
  program.boxes.onConfirm = nullptr;
  program.boxes.answer = false;
  program.CheckForUpdates();
  EXPECT_EQ(program.boxes.questions.size(), 2u);
}

TEST(CheckForUpdates, AnErrorInAStepReachesTheLoopAndTheNextCheckRuns) {
  LoopbackHttpServer server;
  server.Set("/ping.php", "");
  server.Set("/download/version.txt", "1.2.6.0");
  Program program(server.BaseUrl());
  program.boxes.onConfirm = [] { throw std::runtime_error("window closed"); };
  program.calls.CheckForUpdates();
  EXPECT_THROW(program.ui.RunUntil([&] { return !program.calls.CheckingForUpdates(); }), std::runtime_error);
  EXPECT_FALSE(program.calls.CheckingForUpdates());

  program.boxes.onConfirm = nullptr;
  program.CheckForUpdates();
  EXPECT_THAT(program.boxes.questions, ElementsAre(Question, Question));
}

// A timer fires the update check while the main client waits for the feed:
// the check must not touch that client, and both requests complete.
TEST(CheckForUpdates, RunsOnItsOwnClientWhileTheMainClientWaits) {
  LoopbackHttpServer server;
  server.Set("/ping.php", "");
  server.Set("/download/version.txt", "1.2.6.0");
  ScriptedResponse slowFeed = Answer();
  slowFeed.body = "<rss/>";
  slowFeed.delay = std::chrono::milliseconds(700);
  server.Set("/feeds/messenger4.xml.win-1251", slowFeed);
  Program program(server.BaseUrl());
  program.boxes.answer = false;

  THttpClient mainClient(THttpClientKind::MainClient, program.loop, program.ui);
  std::optional<std::string> feed;
  mainClient.AsyncGet(ServerEndpoints(server.BaseUrl()).FeedUrl(),
                      [&](std::exception_ptr, std::string body) { feed = std::move(body); });
  program.CheckForUpdates();
  EXPECT_TRUE(mainClient.Busy());
  EXPECT_THAT(program.boxes.questions, ElementsAre(Question));
  EXPECT_THAT(program.statusBar.texts, ElementsAre("Connected"));
  ASSERT_TRUE(program.ui.RunUntil([&] { return feed.has_value(); }));
  EXPECT_EQ(*feed, "<rss/>");
}

// ---------------------------------------------------------------------------
// ServerEndpoints

TEST(ServerEndpoints, EveryAddressIsTheBaseFollowedByItsPath) {
  for (const char* base :
       {"http://feeds.example.org:8080", "http://feeds.example.org:8080/", "http://feeds.example.org:8080//"}) {
    SCOPED_TRACE(base);
    ServerEndpoints e(base);
    const std::string b = "http://feeds.example.org:8080";
    EXPECT_EQ(e.FeedServer(), b);
    EXPECT_EQ(e.FeedUrl(), b + "/feeds/messenger4.xml.win-1251");
    EXPECT_EQ(e.ChannelNamesUrl(), b + "/channels/channel_names.txt");
    EXPECT_EQ(e.ChannelLinksUrl(), b + "/channels/channel_links.txt");
    EXPECT_EQ(e.ChannelRefreshRatesUrl(), b + "/channels/channel_refreshrates.txt");
    EXPECT_EQ(e.RedirectUrl("http://h/news/item%20one.html%3Fid%3D5%26x%3Da+b"),
              b + "/redirect/redirect.php?url=http://h/news/item%20one.html%3Fid%3D5%26x%3Da+b");
    EXPECT_EQ(e.PingUrl("1.2.5.149", ""), b + "/ping.php?version=1.2.5.149&email=");
    EXPECT_EQ(e.PingUrl("1.2.5.149", "a&b@c"), b + "/ping.php?version=1.2.5.149&email=a&b@c");
    EXPECT_EQ(e.VersionUrl(), b + "/download/version.txt");
    EXPECT_EQ(e.DownloadAddressUrl(), b + "/download/dlurl.txt");
    EXPECT_EQ(e.HomeUrl(), b + "/");
  }
}

}  // namespace
}  // namespace quarlen
