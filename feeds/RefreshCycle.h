#pragma once
// The feed refresh cycle `FetchRSS`: ping, fetch the feed, parse, merge into
// the article store, trim to the keep limit, start the chart thumbnails,
// save, rebuild the grid and announce the new articles; the charts that come
// later fill their rows in and are saved once all are in.
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
#include "net/NetworkLoop.h"
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
  IFeedAge* feedAge = nullptr;                      // told of each read and each failed refresh; may be null
};

// Where the cycle's heavy work runs (reading the feed, merging it, saving),
// where the chart downloads and the cycle's timer run, and how results come
// back; all outlive the RefreshCycle.
struct CycleThreads {
  WorkerThread& worker;
  IUiThread& ui;
  NetworkLoop& network;
};

// How long the news waits for its charts before it is shown and announced
// with the pictures that are in by then.
inline constexpr std::chrono::milliseconds DefaultChartGrace{3000};

class RefreshCycle {
 public:
  // Puts the agent string and the proxy on a client right before a request.
  using ClientProfile = std::function<void(THttpClient&)>;
  // `FillArticleGrid`: reloads the store from the list files and rebuilds the rows.
  using GridRebuild = std::function<void()>;
  // Told after each cycle's ping: whether the feed server was reached.
  using ReachObserver = std::function<void(bool reached)>;

  // store, mainClient (`IdHTTP1`, an asynchronous client, for the feed
  // only), settings, ports and threads are borrowed and must outlive the
  // cycle. feedUrl is the full feed address. repaintCharts redraws the
  // grid's pictures from jvilCharts (may be empty).
  RefreshCycle(ArticleStore& store, THttpClient& mainClient, std::string feedUrl, const INotificationSettings& settings,
               ClientProfile applyProfile, PingCall ping, RefreshCyclePorts ports, GridRebuild fillArticleGrid,
               CycleThreads threads, GridRebuild repaintCharts = nullptr);
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
  // The news is saved, shown and announced once every chart is in or the
  // chart grace has passed, with the charts that are in (the others keep the
  // link's previous picture or are blank until theirs comes); a chart that
  // comes later lands on the row of its link and the charts file is written
  // again once all are in. A cycle started while charts still come abandons them.
  void FetchRSS();

  // How long the feed download may take in all (default FeedTransferDeadline).
  void SetFeedDeadline(std::chrono::milliseconds deadline) { feedDeadline_ = deadline; }
  // How long the news waits for its charts (default DefaultChartGrace).
  void SetChartGrace(std::chrono::milliseconds grace) { chartGrace_ = grace; }
  // How long a chart's connect may take (default ChartConnectTimeout).
  void SetChartConnectTimeout(std::chrono::milliseconds timeout) { thumbnails_.SetConnectTimeout(timeout); }
  void SetReachObserver(ReachObserver observer) { reachObserver_ = std::move(observer); }

  // True from the gate to the announcement; the article actions do nothing then.
  bool Running() const { return busy_; }
  // True while charts of the last cycle still come or their save is written.
  bool ChartsLoading() const { return round_ != nullptr; }
  // Running, charts loading, or a save of the lists is being written.
  bool Busy() const { return busy_ || round_ || saves_.Pending(); }

  // The saves of the list files, in order: the cycle's and the article actions'.
  ListSaves& Saves() { return saves_; }

  // The feed component `SimpleRSS1` with the last document read.
  const TSimpleRSS& SimpleRSS1() const { return *rss_; }

 private:
  struct Reading;
  struct ChartRound;
  // Runs one step of the cycle; a failure clears Busy, sets "Ready" and goes on up.
  void Step(const std::function<void()>& step);
  void AfterPing(bool answered);
  void OnFeed(const std::exception_ptr& failure, std::string body);
  void OnRead(const std::shared_ptr<Reading>& reading);
  void StartCharts(std::vector<RgbImage> previous, const std::string& newestNewTicker);
  void ChartIn(const std::shared_ptr<ChartRound>& round, std::size_t index, RgbImage chart);
  void ShowNews(const std::shared_ptr<ChartRound>& round);
  void OnSaved(const std::exception_ptr& failure, const std::shared_ptr<ChartRound>& round);
  void LandCharts(const ChartRound& round);
  void ChartsDone(const std::shared_ptr<ChartRound>& round);
  void EndWith(const std::string& status);
  // The feed was not read: the status says why, and the age of the news stays.
  void EndUnread(const std::string& status);
  void Announce(const std::string& newestNewTicker);

  ArticleStore& store_;
  THttpClient& client_;
  std::string feedUrl_;
  std::chrono::milliseconds feedDeadline_ = FeedTransferDeadline;
  std::chrono::milliseconds chartGrace_ = DefaultChartGrace;
  ReachObserver reachObserver_;
  GridRebuild repaintCharts_;
  std::shared_ptr<ChartRound> round_;  // the charts of the last cycle, until they are saved
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
