#pragma once
// The small interfaces through which the Qt-free core reaches the main window.
// TfrmMainForm implements them; core tests pass fakes.
#include <chrono>
#include <functional>
#include <string>

namespace quarlen {

// The status bar's one text panel: the place where progress and failures show.
class IStatusBar {
 public:
  virtual ~IStatusBar() = default;
  virtual void SetStatusText(const std::string& text) = 0;
};

// Message boxes. ShowMessage is the plain box with an OK button; Confirm is the
// "Yes"/"No" question box and returns true for "Yes".
class IMessageBoxes {
 public:
  virtual ~IMessageBoxes() = default;
  virtual void ShowMessage(const std::string& text) = 0;
  virtual bool Confirm(const std::string& title, const std::string& question) = 0;
};

// The notification-area icon: image 0 normal, image 1 new articles.
class ITrayIcon {
 public:
  virtual ~ITrayIcon() = default;
  virtual void SetIconIndex(int index) = 0;
  // Information balloon shown for 10 000 ms.
  virtual void ShowBalloon(const std::string& title, const std::string& text) = 0;
};

// The main window as the core sees it.
class IMainWindow {
 public:
  virtual ~IMainWindow() = default;
  virtual void Beep() = 0;
  virtual void ShowFromTray() = 0;
  virtual void BringToFront() = 0;
  virtual void SetTickerText(const std::string& text) = 0;  // the chart request box
  virtual void EndProgramNow() = 0;                         // end the program at once, as Exit does
};

// Where the age of the news on screen is kept: the refresh cycle reports each
// read of the feed and each refresh that ended without one.
class IFeedAge {
 public:
  virtual ~IFeedAge() = default;
  // The feed was downloaded and read as a feed at when.
  virtual void FeedRead(std::chrono::system_clock::time_point when) = 0;
  // A refresh ended without reading the feed: no answer to the ping, a failed
  // download, or an answer that is no feed (a web filter's own page).
  virtual void RefreshFailed() = 0;
};

// The UI thread's queue: Post may be called from any thread, and the tasks
// run on the UI thread, one at a time, in the order posted.
class IUiThread {
 public:
  virtual ~IUiThread() = default;
  virtual void Post(std::function<void()> task) = 0;
};

// Starts the user's browser on a URL; failures are ignored.
class IUrlOpener {
 public:
  virtual ~IUrlOpener() = default;
  virtual void OpenUrl(const std::string& url) = 0;
};

// The interval of the timer that fetches the feed; an unchanged interval
// leaves the running countdown alone.
class IRefreshInterval {
 public:
  virtual ~IRefreshInterval() = default;
  virtual void SetRefreshInterval(int milliseconds) = 0;
};

// The one entry through which every timer tick, menu command and window event
// runs its work: whatever the work throws is shown in the error box and the
// program goes on, so no exception ever travels through the toolkit's delivery.
class ICommandRunner {
 public:
  virtual ~ICommandRunner() = default;
  virtual void Run(const std::function<void()>& work) = 0;
};

}  // namespace quarlen
