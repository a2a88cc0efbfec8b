#pragma once
// The service calls of a program at version 1.2.5.149 against one server, with
// fakes of the window pieces they report to. Shared by the tests of the calls
// against a scripted server and against the bundled feed server.
#include <functional>
#include <string>
#include <vector>

#include "net/HttpClient.h"
#include "platform/UiPorts.h"
#include "service/ServiceCalls.h"

namespace quarlen::testservice {

constexpr const char* Version = "1.2.5.149";

struct FakeStatusBar : IStatusBar {
  void SetStatusText(const std::string& text) override { texts.push_back(text); }
  std::vector<std::string> texts;
};

struct FakeMessageBoxes : IMessageBoxes {
  void ShowMessage(const std::string& text) override { messages.push_back(text); }
  bool Confirm(const std::string& title, const std::string& question) override {
    questions.push_back(title + "|" + question);
    if (onConfirm) onConfirm();
    return answer;
  }
  bool answer = false;
  std::function<void()> onConfirm;
  std::vector<std::string> messages;
  std::vector<std::string> questions;
};

struct FakeUrlOpener : IUrlOpener {
  void OpenUrl(const std::string& url) override { opened.push_back(url); }
  std::vector<std::string> opened;
};

struct FakeMainWindow : IMainWindow {
  void Beep() override {}
  void ShowFromTray() override {}
  void BringToFront() override {}
  void SetTickerText(const std::string&) override {}
  void ProcessMessages() override {}
  void EndProgramNow() override { ++terminated; }
  int terminated = 0;
};

struct ServiceProgram {
  explicit ServiceProgram(const std::string& base, std::string email = "")
      : calls(ServerEndpoints(base), Version, std::move(email),
              [this](THttpClient& c) {
                c.SetUserAgent("Quarlen Messenger 1.2.5.149 Test");
                ++profilesApplied;
              },
              [this] {
                if (pump) pump();
              },
              ServiceCallPorts{statusBar, boxes, opener, window}) {}

  FakeStatusBar statusBar;
  FakeMessageBoxes boxes;
  FakeUrlOpener opener;
  FakeMainWindow window;
  int profilesApplied = 0;
  std::function<void()> pump;
  ServiceCalls calls;
};

}  // namespace quarlen::testservice
