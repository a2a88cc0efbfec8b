#pragma once
// The feed refresh cycle `FetchRSS`: ping, fetch the feed, parse, merge into
// the article store, trim to the keep limit, refresh the chart thumbnails,
// save, rebuild the grid and announce the new articles.
#include <chrono>
#include <exception>
#include <functional>
#include <memory>
#include <string>
#include <string_view>

#include "feedparser/SimpleRSS.h"
#include "feeds/ChartThumbnails.h"
#include "feeds/FeedMerge.h"
#include "feeds/ListSaves.h"
#include "feeds/ThumbnailProgress.h"
#include "net/HttpClient.h"
#include "platform/UiPorts.h"
#include "platform/WorkerThread.h"
#include "service/PingCall.h"
#include "settings/NotificationSettings.h"

namespace quarlen {

class ArticleStore;

// The balloon title for new articles.
inline constexpr const char* NewArticleBalloonTitle = "New Quarlen article";

// The symbol of a percent-encoded chart URL: the text between its last "%3D"
// and the first "%26chartstyle" (letter case ignored for that one). Empty when
// there is no "%26chartstyle"; "UNREF" becomes "QQQQ".
std::string ExtractTickerSymbol(std::string_view ticker);

// The window parts the cycle reaches; all outlive the RefreshCycle.
struct RefreshCyclePorts {
  IStatusBar& statusBar;
  ITrayIcon& trayIcon;
  IMainWindow& mainWindow;                          // beep, show from tray, bring forward, ticker box
  IThumbnailProgress* thumbnailProgress = nullptr;  // may be null
  ISaveAlarm* saveAlarm = nullptr;                  // hears of failed saves (ListSaves); may be null
};

// Where the cycle's heavy work runs (reading the feed, merging it, saving) and how
// its result comes back; both outlive the RefreshCycle.
struct CycleThreads {
  WorkerThread& worker;
  IUiThread& ui;
};

class RefreshCycle {
 public:
  // Puts the agent string and the proxy on a client right before a request.
  using ClientProfile = std::function<void(THttpClient&)>;
  // `FillArticleGrid`: reloads the store from the list files and rebuilds the rows.
  using GridRebuild = std::function<void()>;

  // store, mainClient (`IdHTTP1`, an asynchronous client), settings, ports
  // and threads are borrowed and must outlive the cycle. feedUrl is the full
  // feed address.
  RefreshCycle(ArticleStore& store, THttpClient& mainClient, std::string feedUrl, const INotificationSettings& settings,
               ClientProfile applyProfile, PingCall ping, RefreshCyclePorts ports, GridRebuild fillArticleGrid,
               CycleThreads threads);
  ~RefreshCycle();
  RefreshCycle(const RefreshCycle&) = delete;
  RefreshCycle& operator=(const RefreshCycle&) = delete;

  // Starts one refresh cycle and returns; its steps run as their requests
  // and the worker's reading end. Does nothing while a cycle runs. A failed
  // ping, fetch or parse ends the cycle quietly (status "Feed not read: " and
  // the failure's text after a failed fetch or parse, the deadline's own
  // text after a download that outran it; the ping's message after a failed
  // ping) with the store and latest lists as they were. A failed save shows
  // and announces the merged lists from memory, ends with NotSavedText and
  // goes to the save alarm (ListSaves). Any other failure (a list file that
  // cannot be read) sets "Ready" and propagates out of the step it happened
  // in (FetchRSS or a task on the UI thread); Busy is false either way.
  void FetchRSS();

  // How long the feed download may take in all (default FeedTransferDeadline).
  void SetFeedDeadline(std::chrono::milliseconds deadline) { feedDeadline_ = deadline; }

  // True from the gate to the end of a cycle; the article actions do nothing then.
  bool Running() const { return busy_; }
  // Running, or a save of the lists is being written.
  bool Busy() const { return busy_ || saves_.Pending(); }

  // The saves of the list files, in order: the cycle's and the article actions'.
  ListSaves& Saves() { return saves_; }

  // The feed component `SimpleRSS1` with the last document read.
  const TSimpleRSS& SimpleRSS1() const { return *rss_; }

 private:
  struct Reading;
  // Runs one step of the cycle; a failure clears Busy, sets "Ready" and goes on up.
  void Step(const std::function<void()>& step);
  void AfterPing(bool answered);
  void OnFeed(const std::exception_ptr& failure, std::string body);
  void OnRead(const std::shared_ptr<Reading>& reading);
  void OnCharts(std::vector<RgbImage> charts, const std::string& newestNewTicker);
  void OnSaved(const std::exception_ptr& failure, const std::string& newestNewTicker);
  void EndWith(const std::string& status);
  void Announce(const std::string& newestNewTicker);

  ArticleStore& store_;
  THttpClient& client_;
  std::string feedUrl_;
  std::chrono::milliseconds feedDeadline_ = FeedTransferDeadline;
  const INotificationSettings& settings_;
  ClientProfile applyProfile_;
  PingCall ping_;
  RefreshCyclePorts ports_;
  GridRebuild fillArticleGrid_;
  CycleThreads threads_;
  ListSaves saves_;
  ChartThumbnails thumbnails_;
  std::shared_ptr<TSimpleRSS> rss_;
  bool busy_ = false;
  std::shared_ptr<bool> alive_ = std::make_shared<bool>(true);  // completions look here first
};

}  // namespace quarlen
