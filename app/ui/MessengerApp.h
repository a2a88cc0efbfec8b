#pragma once
// The program's composition root: owns the core objects (the article store,
// the main HTTP client, the page engine), creates the windows in start-up
// order and connects the menus and timers of the main window to the work they start.
#include <chrono>
#include <functional>
#include <memory>
#include <string>

#include "app/ui/BrowserProxy.h"
#include "app/ui/BrowserUrlOpener.h"
#include "app/ui/CommandRunner.h"
#include "app/ui/TfrmMainForm.h"
#include "net/NetworkLoop.h"
#include "platform/WorkerThread.h"
#include "platform/ui/PageViews.h"
#include "platform/ui/QtUiThread.h"

namespace quarlen {

class SettingsStore;
class TfrmSettings;
class TfrmNetworkSettings;
class ServiceCalls;
class RefreshCycle;
class RefreshTriggers;
class SaveFailureNotice;
class Banner;
class ArticleActions;
class ChannelTabsUi;
class DesktopIntegration;
class THttpClient;

// Makes the config folder; one that can't be made is reported and ends the
// program at the next turn of the event loop (false).
bool EnsureConfigFolderOrQuit(const std::string& configFolder, TfrmMainForm& form);

// How long the exit waits for the list saves before it ends all the same.
inline constexpr std::chrono::milliseconds ExitSaveLimit{10000};

class MessengerApp {
 public:
  // The store, the main client and the browser profile; the main window
  // (which loads and shows the store), the notification settings dialog
  // (which sets the refresh interval), then the network settings dialog.
  explicit MessengerApp(MainFormEnvironment environment);
  ~MessengerApp();

  // The config folder made, then the window's tray icon and timers on; the
  // event loop may run after this.
  void CompleteStartup();

  TfrmMainForm& MainForm() { return *mainForm_; }
  // Where every control's, click's and signal's work runs.
  CommandRunner& Runner() { return runner_; }
  ArticleStore& Store() { return *store_; }
  DesktopIntegration& Desktop() { return *desktop_; }
  // The refresh cycle; the reliability probe's build shortens its feed deadline.
  RefreshCycle& Cycle() { return *cycle_; }

 private:
  void ConnectCommands();
  // The exit's wait: the list saves queued, under way or waiting are written
  // first (up to ExitSaveLimit, then standard error says what was cut short),
  // with the event loop running meanwhile; then finish.
  void WaitForSaves(std::function<void()> finish);
  // The settings files are written once more; the dialogs go first.
  void DestroyDialogs();

  MainFormEnvironment environment_;
  // The version the title and the server calls carry, and the agent string of every request.
  std::string programVersion_;
  std::string userAgent_;
  CommandRunner runner_;
  // The threads of the run: completions come back to the UI thread through
  // uiThread_, requests run on network_, the reading of the feed on worker_.
  // Declared before everything that posts to them, so they go last.
  QtUiThread uiThread_{runner_.QueuedTasks()};
  NetworkLoop network_;
  WorkerThread worker_;
  BrowserUrlOpener browser_;
  // Declared before the windows, so they go only after every window that uses them.
  std::unique_ptr<ArticleStore> store_;
  std::unique_ptr<THttpClient> IdHTTP1_;  // the main client: the feed and the charts
  PageViews pages_;                       // cache-less, shared by the banner and the channel tabs
  std::unique_ptr<TfrmMainForm> mainForm_;
  std::unique_ptr<DesktopIntegration> desktop_;  // goes before the window it works on
  std::unique_ptr<SettingsStore> xmlSettings_;
  std::unique_ptr<TfrmSettings> frmSettings_;
  std::unique_ptr<TfrmNetworkSettings> frmNetworkSettings_;
#if QUARLEN_BROWSER_WEBENGINE
  std::unique_ptr<BrowserProxy> browserProxy_;  // the pages' route, from the network settings
#endif
  std::unique_ptr<ServiceCalls> services_;
  std::unique_ptr<SaveFailureNotice> saveNotice_;  // one box for a run of failed saves; outlives the cycle
  std::unique_ptr<RefreshCycle> cycle_;
  std::unique_ptr<RefreshTriggers> refreshTriggers_;  // retries, wakes from sleep, the network coming back
  std::unique_ptr<Banner> banner_;
  std::unique_ptr<ArticleActions> articleActions_;
  std::unique_ptr<ChannelTabsUi> channels_;  // the tabs beside the article grid
};

}  // namespace quarlen
