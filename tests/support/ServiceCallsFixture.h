#pragma once
// The service calls of a program at version 1.2.5.149 against one server, with
// fakes of the window pieces they report to. Shared by the tests of the calls
// against a scripted server and against the bundled feed server.
#include <functional>
#include <string>
#include <vector>

#include "net/HttpClient.h"
#include "service/ServiceCalls.h"
#include "tests/support/FakePorts.h"

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
            [this] {
              if (pump) pump();
            },
            ServiceCallPorts{statusBar, boxes, opener, window}) {}

  test::FakeStatusBar statusBar;
  test::FakeMessageBoxes boxes;
  test::FakeUrlOpener opener;
  test::FakeMainWindow window;
  int profilesApplied = 0;
  std::function<void()> pump;
  ServiceCalls calls;
};

}  // namespace quarlen::testservice
