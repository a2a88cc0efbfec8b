#include "feeds/RefreshCycle.h"

#include <algorithm>
#include <exception>
#include <utility>

#include "feeds/ArticleStore.h"
#include "feeds/GoneList.h"
#include "platform/ReentryGuard.h"
#include "platform/SameLink.h"

namespace quarlen {

namespace {

constexpr const char* UnreadEntry = "unread";
constexpr const char* ReadEntry = "read";

// Links are URLs: letter case is folded for ASCII letters; other bytes (UTF-8
// sequences) must match exactly. The grid compares by the same rule.
bool EqualIgnoringCase(std::string_view a, std::string_view b) { return SameLink(a, b); }

std::size_t FindIgnoringCase(std::string_view text, std::string_view what) {
  if (what.size() > text.size()) return std::string_view::npos;
  for (std::size_t i = 0; i + what.size() <= text.size(); ++i)
    if (EqualIgnoringCase(text.substr(i, what.size()), what)) return i;
  return std::string_view::npos;
}

long FindLink(const std::vector<std::string>& urls, std::string_view link) {
  for (std::size_t k = 0; k < urls.size(); ++k)
    if (EqualIgnoringCase(urls[k], link)) return static_cast<long>(k);
  return -1;
}

template <typename T>
void InsertFront(std::vector<T>& list, T value) {
  list.insert(list.begin(), std::move(value));
}

// Writes entry k of a list the merge updates; a list that the load left
// shorter than url (it cannot be after CheckLists) is grown rather than
// written past its end.
void SetEntry(std::vector<std::string>& list, std::size_t k, std::string value) {
  if (list.size() <= k) list.resize(k + 1);
  list[k] = std::move(value);
}

}  // namespace

std::string CleanText(std::string_view text) {
  std::string out;
  out.reserve(text.size() + 8);
  for (char c : text) {
    if (c == '\n') continue;
    out += c;
    if (c == '&') out += '&';
  }
  return out;
}

std::string ExtractTickerSymbol(std::string_view ticker) {
  const std::size_t style = FindIgnoringCase(ticker, "%26chartstyle");
  if (style == std::string_view::npos) return {};
  std::string_view t = ticker.substr(0, style);
  // The count the box keeps is length - q - 2 for the 1-based position q of
  // the last "%3D" (0 when there is none): without one the first two
  // characters go, as the rule has always had it.
  const std::size_t eq = t.rfind("%3D");
  const long q = eq == std::string_view::npos ? 0 : static_cast<long>(eq) + 1;
  const long keep = static_cast<long>(t.size()) - q - 2;
  std::string symbol = keep <= 0 ? std::string() : std::string(t.substr(t.size() - static_cast<std::size_t>(keep)));
  if (symbol == "UNREF") symbol = "QQQQ";
  return symbol;
}

std::string ArticleDateText(const TRSSItem& item) { return item.Author().Name() + " - " + item.PubDate().DateText(); }

std::string MergeFeedItems(ArticleStore& store, const TRSSItems& items) {
  std::string newestNewTicker;
  for (int i = items.Count() - 1; i >= 0; --i) {
    const TRSSItem& item = items[i];
    const long k = FindLink(store.url, item.Link());
    // An article the store held once is no news while the feed still carries
    // it, even after the keep limit trimmed it or the user deleted it.
    if (k < 0 && store.gone.Find(item.Link())) continue;
    if (k < 0) {
      InsertFront(store.url, item.Link());
      InsertFront(store.subject, CleanText(item.Title()));
      InsertFront(store.description, CleanText(item.Description()));
      InsertFront(store.date, ArticleDateText(item));
      InsertFront(store.ticker, item.Ticker());
      InsertFront(store.read, std::string(UnreadEntry));
      InsertFront(store.latest, item.Link());
      InsertFront(store.latest_subject, item.Title());
      newestNewTicker = item.Ticker();
    } else {
      const auto at = static_cast<std::size_t>(k);
      SetEntry(store.url, at, item.Link());
      SetEntry(store.subject, at, CleanText(item.Title()));
      SetEntry(store.description, at, CleanText(item.Description()));
      SetEntry(store.date, at, ArticleDateText(item));
      SetEntry(store.ticker, at, item.Ticker());
    }
  }
  return newestNewTicker;
}

void TrimArticles(ArticleStore& store, int keep) {
  const std::size_t limit = static_cast<std::size_t>(std::max(keep, 0));
  if (store.url.size() <= limit) return;
  for (std::size_t j = limit; j < store.url.size(); ++j) {
    const bool wasRead = j < store.read.size() && store.read[j] == ReadEntry;
    store.gone.Add(store.url[j], wasRead ? ReadEntry : UnreadEntry);
  }
  for (auto* list : {&store.url, &store.subject, &store.description, &store.date, &store.ticker, &store.read}) {
    if (list->size() > limit) list->resize(limit);
  }
}

void SettleGoneArticles(ArticleStore& store, const TRSSItems& items, int keep) {
  // Room below the keep limit (a raised limit, a deleted article) is filled
  // with the trimmed articles the feed still carries: below the stored ones,
  // which are newer, and with the read state the user left them in.
  const std::size_t limit = static_cast<std::size_t>(std::max(keep, 0));
  std::vector<std::string> carried;
  carried.reserve(static_cast<std::size_t>(items.Count()));
  for (int i = 0; i < items.Count(); ++i) {
    const TRSSItem& item = items[i];
    carried.push_back(item.Link());
    const GoneList::Entry* gone = store.gone.Find(item.Link());
    if (store.url.size() >= limit || !gone || gone->state == GoneList::Deleted) continue;
    if (FindLink(store.url, item.Link()) >= 0) {  // list files edited by hand: never a second copy
      store.gone.Remove(item.Link());
      continue;
    }
    store.url.push_back(item.Link());
    store.subject.push_back(CleanText(item.Title()));
    store.description.push_back(CleanText(item.Description()));
    store.date.push_back(ArticleDateText(item));
    store.ticker.push_back(item.Ticker());
    store.read.push_back(gone->state);
    store.gone.Remove(item.Link());
  }
  // Bounded by the feed: a link it no longer carries is forgotten, so the
  // list never outgrows one feed (published again later, it is news).
  store.gone.KeepOnly(carried);
}

RefreshCycle::RefreshCycle(ArticleStore& store, THttpClient& mainClient, std::string feedUrl,
                           const INotificationSettings& settings, ClientProfile applyProfile, PingCall ping,
                           RefreshCyclePorts ports, GridRebuild fillArticleGrid)
    : store_(store),
      client_(mainClient),
      feedUrl_(std::move(feedUrl)),
      settings_(settings),
      applyProfile_(std::move(applyProfile)),
      ping_(std::move(ping)),
      ports_(ports),
      fillArticleGrid_(std::move(fillArticleGrid)),
      thumbnails_(mainClient, applyProfile_, ports.statusBar, ports.mainWindow, ports.thumbnailProgress) {}

void RefreshCycle::FetchRSS() {
  // Busy is set before the ping rather than after it: the ping waits with the
  // message pump running, and a second command arriving then must find the
  // gate closed, or two cycles would run one inside the other. The guard
  // clears Busy on every way out, an exception included.
  ReentryGuard busy(busy_);
  if (!busy.Entered()) return;
  if (ping_ && !ping_()) return;  // the status bar keeps the ping's message
  try {
    RunAfterPing();
  } catch (...) {
    // The error goes on to the one message box of the event loop; the status
    // bar must not stay on a step that is no longer running.
    ports_.statusBar.SetStatusText("Ready");
    throw;
  }
}

void RefreshCycle::RunAfterPing() {
  IStatusBar& status = ports_.statusBar;

  status.SetStatusText("Loading saved lists");
  store_.LoadLists();

  status.SetStatusText("Fetching XML");
  std::string body;
  try {
    if (applyProfile_) applyProfile_(client_);
    body = client_.Get(feedUrl_, FeedBodyCap, feedDeadline_);
  } catch (const HttpDeadlineError& e) {
    // Unlike a plain failure, this one held the window's work for minutes;
    // "Ready" alone would leave the user guessing why nothing came.
    status.SetStatusText(e.what());
    return;
  } catch (const std::exception&) {
    status.SetStatusText("Ready");
    return;
  }

  status.SetStatusText("Parsing XML");
  try {
    rss_.LoadFromString(std::move(body));
    rss_.XMLFile().SetActive(true);
    rss_.Parse();
  } catch (const std::exception&) {
    status.SetStatusText("Ready");
    return;
  }

  store_.latest.clear();
  store_.latest_subject.clear();
  const std::string newestNewTicker = MergeFeedItems(store_, rss_.Items());
  const int keep = settings_.KeepArticles();
  TrimArticles(store_, keep);
  SettleGoneArticles(store_, rss_.Items(), keep);

  thumbnails_.RefreshChartThumbnails(store_.ticker, store_.jvilRefreshCharts);

  status.SetStatusText("Saving lists");
  store_.SaveLists();

  if (fillArticleGrid_) fillArticleGrid_();

  Announce(newestNewTicker);
  status.SetStatusText("Ready");
}

void RefreshCycle::Announce(const std::string& newestNewTicker) {
  if (store_.latest_subject.empty()) {
    ports_.trayIcon.SetIconIndex(0);
    return;
  }
  ports_.trayIcon.SetIconIndex(1);
  if (settings_.ShowBaloon()) ports_.trayIcon.ShowBalloon(NewArticleBalloonTitle, store_.latest_subject.front());
  if (settings_.PlaySound()) ports_.mainWindow.Beep();
  if (settings_.ShowBrowser()) {
    ports_.mainWindow.ShowFromTray();
    ports_.mainWindow.BringToFront();
  }
  ports_.mainWindow.SetTickerText(ExtractTickerSymbol(newestNewTicker));
}

}  // namespace quarlen
