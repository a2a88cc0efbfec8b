#pragma once
// The service calls of a program at version 1.2.5.149 against one server, with
// fakes of the window pieces they report to. Shared by the tests of the calls
// against a scripted server and against the bundled feed server.
#include <gtest/gtest.h>

#include <functional>
#include <optional>
#include <string>
#include <vector>

#include "net/HttpClient.h"
#include "net/NetworkLoop.h"
#include "service/ServiceCalls.h"
#include "tests/support/FakePorts.h"
#include "tests/support/QueuedUiThread.h"

namespace quarlen::testservice {

constexpr const char* Version = "1.2.5.149";

struct ServiceProgram {
  explicit ServiceProgram(const std::string& base, std::string email = "")
      : calls(
            ServerEndpoints(base), Version, std::move(email),
            [this](THttpClient& c) {
              c.SetUserAgent("Quarlen Messenger 1.2.5.149 Test");
              ++profilesApplied;
            },
            NetworkContext{loop, ui}, ServiceCallPorts{statusBar, boxes, opener, window}) {}

  // One ping, the UI thread's loop run until it has answered.
  bool Ping() {
    std::optional<bool> answered;
    calls.PingServer([&](bool ok) { answered = ok; });
    EXPECT_TRUE(ui.RunUntil([&] { return answered.has_value(); }));
    return answered.value_or(false);
  }
  // One whole update check, the loop run until it is over.
  void CheckForUpdates() {
    calls.CheckForUpdates();
    EXPECT_TRUE(ui.RunUntil([this] { return !calls.CheckingForUpdates(); }));
  }

  test::FakeStatusBar statusBar;
  test::FakeMessageBoxes boxes;
  test::FakeUrlOpener opener;
  test::FakeMainWindow window;
  int profilesApplied = 0;
  test::QueuedUiThread ui;
  NetworkLoop loop;
  ServiceCalls calls;
};

}  // namespace quarlen::testservice
