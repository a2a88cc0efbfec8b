#pragma once
// Fakes of the window's ports that record what the core asked of them. Shared
// by every test that drives the core without a window.
#include <chrono>
#include <functional>
#include <string>
#include <utility>
#include <vector>

#include "feeds/ThumbnailProgress.h"
#include "platform/UiPorts.h"

namespace quarlen::test {

struct FakeStatusBar : IStatusBar {
  std::vector<std::string> texts;
  void SetStatusText(const std::string& text) override { texts.push_back(text); }
};

struct FakeMessageBoxes : IMessageBoxes {
  bool answer = false;  // what Confirm answers
  std::function<void()> onConfirm;
  std::vector<std::string> messages;
  std::vector<std::string> questions;  // title + "|" + question
  void ShowMessage(const std::string& text) override { messages.push_back(text); }
  bool Confirm(const std::string& title, const std::string& question) override {
    questions.push_back(title + "|" + question);
    if (onConfirm) onConfirm();
    return answer;
  }
};

struct FakeTray : ITrayIcon {
  std::vector<int> icons;
  std::vector<std::pair<std::string, std::string>> balloons;
  void SetIconIndex(int index) override { icons.push_back(index); }
  void ShowBalloon(const std::string& title, const std::string& text) override { balloons.emplace_back(title, text); }
};

struct FakeUrlOpener : IUrlOpener {
  std::vector<std::string> opened;
  void OpenUrl(const std::string& url) override { opened.push_back(url); }
};

struct FakeMainWindow : IMainWindow {
  int beeps = 0, shown = 0, fronted = 0, terminated = 0;
  std::vector<std::string> tickerTexts;
  void Beep() override { ++beeps; }
  void ShowFromTray() override { ++shown; }
  void BringToFront() override { ++fronted; }
  void SetTickerText(const std::string& text) override { tickerTexts.push_back(text); }
  void EndProgramNow() override { ++terminated; }
};

struct FakeProgress : IThumbnailProgress {
  std::vector<std::pair<int, int>> shown;
  int hidden = 0;
  void ShowThumbnailProgress(int done, int total) override { shown.emplace_back(done, total); }
  void HideThumbnailProgress() override { ++hidden; }
};

struct FakeFeedAge : IFeedAge {
  std::vector<std::chrono::system_clock::time_point> reads;
  int failures = 0;
  void FeedRead(std::chrono::system_clock::time_point when) override { reads.push_back(when); }
  void RefreshFailed() override { ++failures; }
};

// Runs the work as is, so what it throws reaches the test.
struct FakeCommandRunner : ICommandRunner {
  void Run(const std::function<void()>& work) override { work(); }
};

}  // namespace quarlen::test
