#include "feeds/RefreshCycle.h"

#include <algorithm>
#include <exception>
#include <iterator>
#include <unordered_map>
#include <unordered_set>
#include <utility>
#include <vector>

#include "feeds/ArticleStore.h"
#include "feeds/GoneList.h"
#include "platform/ReentryGuard.h"
#include "platform/SameLink.h"

namespace quarlen {

namespace {

constexpr const char* UnreadEntry = "unread";
constexpr const char* ReadEntry = "read";
constexpr const char* FeedNotRead = "Feed not read: ";

// Links are URLs: letter case is folded for ASCII letters; other bytes (UTF-8
// sequences) must match exactly. The grid compares by the same rule.
bool EqualIgnoringCase(std::string_view a, std::string_view b) { return SameLink(a, b); }

std::size_t FindIgnoringCase(std::string_view text, std::string_view what) {
  if (what.size() > text.size()) return std::string_view::npos;
  for (std::size_t i = 0; i + what.size() <= text.size(); ++i)
    if (EqualIgnoringCase(text.substr(i, what.size()), what)) return i;
  return std::string_view::npos;
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

// A feed of tens of thousands of items against a store as large: every
// look-up goes through a key table, and the new articles go to the front in
// one insertion per list, so the merge stays linear in the feed.
std::string MergeFeedItems(ArticleStore& store, const TRSSItems& items) {
  struct NewArticle {
    std::string url, subject, description, date, ticker, latest, latestSubject;
  };
  std::unordered_map<std::string, std::size_t> stored;  // LinkKey -> first position in url
  stored.reserve(store.url.size());
  for (std::size_t k = 0; k < store.url.size(); ++k) stored.emplace(LinkKey(store.url[k]), k);
  std::unordered_map<std::string, std::size_t> added;  // LinkKey -> position in fresh
  std::vector<NewArticle> fresh;                       // in the order found: the last one goes on top

  std::string newestNewTicker;
  for (int i = items.Count() - 1; i >= 0; --i) {
    const TRSSItem& item = items[i];
    std::string key = LinkKey(item.Link());
    // A link found new earlier in this merge already stands above the stored
    // ones, so a second item of it updates that article.
    if (const auto it = added.find(key); it != added.end()) {
      NewArticle& article = fresh[it->second];
      article.url = item.Link();
      article.subject = CleanText(item.Title());
      article.description = CleanText(item.Description());
      article.date = ArticleDateText(item);
      article.ticker = item.Ticker();
      continue;
    }
    const auto it = stored.find(key);
    // An article the store held once is no news while the feed still carries
    // it, even after the keep limit trimmed it or the user deleted it.
    if (it == stored.end() && store.gone.Find(item.Link())) continue;
    if (it == stored.end()) {
      added.emplace(std::move(key), fresh.size());
      fresh.push_back(NewArticle{item.Link(), CleanText(item.Title()), CleanText(item.Description()),
                                 ArticleDateText(item), item.Ticker(), item.Link(), item.Title()});
      newestNewTicker = item.Ticker();
    } else {
      const std::size_t at = it->second;
      SetEntry(store.url, at, item.Link());
      SetEntry(store.subject, at, CleanText(item.Title()));
      SetEntry(store.description, at, CleanText(item.Description()));
      SetEntry(store.date, at, ArticleDateText(item));
      SetEntry(store.ticker, at, item.Ticker());
    }
  }

  auto prepend = [&fresh](std::vector<std::string>& list, std::string NewArticle::*field) {
    std::vector<std::string> front;
    front.reserve(fresh.size() + list.size());
    for (auto article = fresh.rbegin(); article != fresh.rend(); ++article) front.push_back(std::move(*article.*field));
    std::move(list.begin(), list.end(), std::back_inserter(front));
    list = std::move(front);
  };
  if (fresh.empty()) return newestNewTicker;
  prepend(store.url, &NewArticle::url);
  prepend(store.subject, &NewArticle::subject);
  prepend(store.description, &NewArticle::description);
  prepend(store.date, &NewArticle::date);
  prepend(store.ticker, &NewArticle::ticker);
  prepend(store.latest, &NewArticle::latest);
  prepend(store.latest_subject, &NewArticle::latestSubject);
  std::vector<std::string> unread(fresh.size(), UnreadEntry);
  store.read.insert(store.read.begin(), unread.begin(), unread.end());
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
  // Key tables keep it linear: the links taken back leave the gone list in
  // one pass at the end, not one removal (and reindexing) each.
  const std::size_t limit = static_cast<std::size_t>(std::max(keep, 0));
  std::unordered_set<std::string> stored;
  stored.reserve(store.url.size());
  for (const std::string& link : store.url) stored.insert(LinkKey(link));
  std::unordered_set<std::string> taken;  // keys of the gone links no longer gone
  std::vector<std::string> carried;
  carried.reserve(static_cast<std::size_t>(items.Count()));
  for (int i = 0; i < items.Count(); ++i) {
    const TRSSItem& item = items[i];
    carried.push_back(item.Link());
    std::string key = LinkKey(item.Link());
    const GoneList::Entry* gone = taken.contains(key) ? nullptr : store.gone.Find(item.Link());
    if (store.url.size() >= limit || !gone || gone->state == GoneList::Deleted) continue;
    if (stored.contains(key)) {  // list files edited by hand: never a second copy
      taken.insert(std::move(key));
      continue;
    }
    store.url.push_back(item.Link());
    store.subject.push_back(CleanText(item.Title()));
    store.description.push_back(CleanText(item.Description()));
    store.date.push_back(ArticleDateText(item));
    store.ticker.push_back(item.Ticker());
    store.read.push_back(gone->state);
    stored.insert(key);
    taken.insert(std::move(key));
  }
  // Bounded by the feed: a link it no longer carries is forgotten, so the
  // list never outgrows one feed (published again later, it is news).
  std::erase_if(carried, [&taken](const std::string& link) { return taken.contains(LinkKey(link)); });
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
    // Its own text says what failed, and the reliability runs know it by it.
    status.SetStatusText(e.what());
    return;
  } catch (const std::exception& e) {
    // "Ready" here would tell a trader whose feed has been failing all
    // morning the same as one whose feed works: the line keeps the failure
    // until the next cycle begins.
    status.SetStatusText(FeedNotRead + std::string(e.what()));
    return;
  }

  status.SetStatusText("Parsing XML");
  try {
    rss_.LoadFromString(std::move(body));
    rss_.XMLFile().SetActive(true);
    rss_.Parse();
  } catch (const std::exception& e) {
    status.SetStatusText(FeedNotRead + std::string(e.what()));
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
