#pragma once
// The feed refresh cycle `FetchRSS`: ping, fetch the feed, parse, merge into
// the article store, trim to the keep limit, refresh the chart thumbnails,
// save, rebuild the grid and announce the new articles.
#include <chrono>
#include <functional>
#include <string>
#include <string_view>

#include "feedparser/SimpleRSS.h"
#include "feeds/ChartThumbnails.h"
#include "feeds/ThumbnailProgress.h"
#include "net/HttpClient.h"
#include "platform/UiPorts.h"
#include "settings/NotificationSettings.h"

namespace quarlen {

class ArticleStore;

// The balloon title for new articles.
inline constexpr const char* NewArticleBalloonTitle = "New Quarlen article";

// Every "&" doubled (the grid draws with prefix processing), then every line
// feed removed. Carriage returns stay.
std::string CleanText(std::string_view text);

// The symbol of a percent-encoded chart URL: the text between its last "%3D"
// and the first "%26chartstyle" (letter case ignored for that one). Empty when
// there is no "%26chartstyle"; "UNREF" becomes "QQQQ".
std::string ExtractTickerSymbol(std::string_view ticker);

// The date entry of a feed item: author name, " - ", and "mmm d yyyy".
std::string ArticleDateText(const TRSSItem& item);

// Merges items into the store from the last item to the first: a link neither
// stored nor gone (letter case ignored) is inserted at the top as "unread"
// and added to latest and latest subject; a stored one is updated in place
// and keeps its read entry; a gone one is left alone. Returns the ticker of
// the newest new item ("" if none).
std::string MergeFeedItems(ArticleStore& store, const TRSSItems& items);

// Deletes the oldest articles past keep from url, subject, description, date,
// ticker and read, recording each link in the gone list with its read entry.
// The latest lists and the image lists are left alone.
void TrimArticles(ArticleStore& store, int keep);

// While the store holds fewer than keep articles, appends the trimmed gone
// links the items carry, in document order, with the read entry they had
// (not new: the latest lists stay). Deleted links never return. Then forgets
// every gone link the items no longer carry.
void SettleGoneArticles(ArticleStore& store, const TRSSItems& items, int keep);

// The window parts the cycle reaches; all outlive the RefreshCycle.
struct RefreshCyclePorts {
  IStatusBar& statusBar;
  ITrayIcon& trayIcon;
  IMainWindow& mainWindow;                          // beep, show from tray, bring forward, ticker box, pump
  IThumbnailProgress* thumbnailProgress = nullptr;  // may be null
};

class RefreshCycle {
 public:
  // Puts the agent string and the proxy on a client right before a request.
  using ClientProfile = std::function<void(THttpClient&)>;
  // The usage ping: true when the feed server answered (it sets the status text).
  using PingCall = std::function<bool()>;
  // `FillArticleGrid`: reloads the store from the list files and rebuilds the rows.
  using GridRebuild = std::function<void()>;

  // store, mainClient (`IdHTTP1`), settings and ports are borrowed and must
  // outlive the cycle. feedUrl is the full feed address.
  RefreshCycle(ArticleStore& store, THttpClient& mainClient, std::string feedUrl, const INotificationSettings& settings,
               ClientProfile applyProfile, PingCall ping, RefreshCyclePorts ports, GridRebuild fillArticleGrid);

  // One refresh cycle. Returns at once while a cycle runs (a timer or command
  // arriving through the message pump). A failed ping, fetch or parse ends the
  // cycle quietly (status "Feed not read: " and the failure's text after a
  // failed fetch or parse, the deadline's own text after a download that
  // outran it; the ping's message after a failed ping) with the
  // store and latest lists as they were.
  // Any other failure (a write error in SaveLists, a list file that cannot be
  // read) sets "Ready" and propagates to the caller; Busy is false either way.
  void FetchRSS();

  // How long the feed download may take in all (default FeedTransferDeadline).
  void SetFeedDeadline(std::chrono::milliseconds deadline) { feedDeadline_ = deadline; }

  // True from the gate to the end of a cycle; the article actions do nothing then.
  bool Busy() const { return busy_; }

  // The feed component `SimpleRSS1` with the last document read.
  const TSimpleRSS& SimpleRSS1() const { return rss_; }

 private:
  void RunAfterPing();
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
  ChartThumbnails thumbnails_;
  TSimpleRSS rss_;
  bool busy_ = false;
};

}  // namespace quarlen
