#include "feeds/RefreshCycle.h"

#include <algorithm>
#include <exception>
#include <iterator>
#include <memory>
#include <unordered_map>
#include <unordered_set>
#include <utility>
#include <vector>

#include "feeds/ArticleStore.h"
#include "feeds/GoneList.h"
#include "platform/SameLink.h"

namespace quarlen {

namespace {

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

}  // namespace

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

// What the worker hands back: the document read, or why it could not be
// read, and the store's lists with the feed merged in.
struct RefreshCycle::Reading {
  Reading(std::string feed, const ArticleStore& store, int keepArticles)
      : body(std::move(feed)), merged(store), keep(keepArticles) {}

  std::string body;
  ArticleStore merged;
  int keep = 0;
  std::shared_ptr<TSimpleRSS> rss;
  std::string parseFailure;         // the feed could not be read: the status says so
  std::exception_ptr otherFailure;  // anything else: the error box
  std::string newestNewTicker;
};

RefreshCycle::RefreshCycle(ArticleStore& store, THttpClient& mainClient, std::string feedUrl,
                           const INotificationSettings& settings, ClientProfile applyProfile, PingCall ping,
                           RefreshCyclePorts ports, GridRebuild fillArticleGrid, CycleThreads threads)
    : store_(store),
      client_(mainClient),
      feedUrl_(std::move(feedUrl)),
      settings_(settings),
      applyProfile_(std::move(applyProfile)),
      ping_(std::move(ping)),
      ports_(ports),
      fillArticleGrid_(std::move(fillArticleGrid)),
      threads_(threads),
      saves_(store, threads.worker, threads.ui, ports.saveAlarm),
      thumbnails_(mainClient, applyProfile_, ports.statusBar, ports.thumbnailProgress),
      rss_(std::make_shared<TSimpleRSS>()) {}

RefreshCycle::~RefreshCycle() = default;

void RefreshCycle::Step(const std::function<void()>& step) {
  try {
    step();
  } catch (...) {
    // The error goes on to the one message box of the event loop; the status
    // bar must not stay on a step that is no longer running.
    busy_ = false;
    ports_.statusBar.SetStatusText("Ready");
    throw;
  }
}

void RefreshCycle::EndWith(const std::string& status) {
  ports_.statusBar.SetStatusText(status);
  busy_ = false;
}

void RefreshCycle::FetchRSS() {
  // Busy is set before the ping rather than after it: a second command
  // arriving while the ping waits must find the gate closed, or two cycles
  // would run side by side on one client and one store.
  if (busy_) return;
  busy_ = true;
  // An article action's save still being written comes first: the cycle
  // loads the lists from the files.
  saves_.WhenWritten([this, alive = std::weak_ptr<bool>(alive_)] {
    if (alive.expired()) return;
    Step([this] {
      if (!ping_) return AfterPing(true);
      ping_([this, alive = std::weak_ptr<bool>(alive_)](bool answered) {
        if (!alive.expired()) Step([this, answered] { AfterPing(answered); });
      });
    });
  });
}

void RefreshCycle::AfterPing(bool answered) {
  if (!answered) {
    busy_ = false;  // the status bar keeps the ping's message
    return;
  }
  IStatusBar& status = ports_.statusBar;
  status.SetStatusText("Loading saved lists");
  store_.LoadLists();

  status.SetStatusText("Fetching XML");
  if (applyProfile_) applyProfile_(client_);
  client_.AsyncGet(feedUrl_, FeedBodyCap, feedDeadline_,
                   [this, alive = std::weak_ptr<bool>(alive_)](const std::exception_ptr& failure, std::string body) {
                     if (alive.expired()) return;
                     Step([&] { OnFeed(failure, std::move(body)); });
                   });
}

void RefreshCycle::OnFeed(const std::exception_ptr& failure, std::string body) {
  if (failure) {
    try {
      std::rethrow_exception(failure);
    } catch (const HttpDeadlineError& e) {
      // Its own text says what failed, and the reliability runs know it by it.
      return EndWith(e.what());
    } catch (const std::exception& e) {
      // "Ready" here would tell a trader whose feed has been failing all
      // morning the same as one whose feed works: the line keeps the failure
      // until the next cycle begins.
      return EndWith(FeedNotRead + std::string(e.what()));
    }
  }

  ports_.statusBar.SetStatusText("Parsing XML");
  // A feed near its 16 MiB cap takes a second to read and its merge tens of
  // milliseconds: both run on the worker, on a copy of the store's lists, so
  // the window goes on drawing. Nothing changes the store meanwhile: the
  // article actions wait while the cycle is Busy.
  auto reading = std::make_shared<Reading>(std::move(body), store_, settings_.KeepArticles());
  threads_.worker.Post([reading, ui = &threads_.ui, alive = std::weak_ptr<bool>(alive_), this] {
    try {
      auto rss = std::make_shared<TSimpleRSS>();
      rss->LoadFromString(std::move(reading->body));
      rss->XMLFile().SetActive(true);
      rss->Parse();
      reading->rss = std::move(rss);
    } catch (const std::exception& e) {
      reading->parseFailure = e.what();
    } catch (...) {
      reading->otherFailure = std::current_exception();
    }
    if (reading->rss) {
      try {
        ArticleStore& merged = reading->merged;
        merged.latest.clear();
        merged.latest_subject.clear();
        reading->newestNewTicker = MergeFeedItems(merged, reading->rss->Items());
        TrimArticles(merged, reading->keep);
        SettleGoneArticles(merged, reading->rss->Items(), reading->keep);
      } catch (...) {
        reading->otherFailure = std::current_exception();
      }
    }
    ui->Post([this, alive, reading] {
      if (!alive.expired()) Step([this, &reading] { OnRead(reading); });
    });
  });
}

void RefreshCycle::OnRead(const std::shared_ptr<Reading>& reading) {
  if (reading->otherFailure) std::rethrow_exception(reading->otherFailure);
  if (!reading->rss) return EndWith(FeedNotRead + reading->parseFailure);

  ArticleStore& merged = reading->merged;
  for (auto list : {&ArticleStore::url, &ArticleStore::subject, &ArticleStore::description, &ArticleStore::date,
                    &ArticleStore::ticker, &ArticleStore::read, &ArticleStore::latest, &ArticleStore::latest_subject}) {
    store_.*list = std::move(merged.*list);
  }
  store_.gone = std::move(merged.gone);
  // The last document is kept for SimpleRSS1; the one before it is freed on
  // the worker, since freeing a large document takes a while too.
  threads_.worker.Post([old = std::exchange(rss_, reading->rss)] {});

  thumbnails_.RefreshChartThumbnails(store_.ticker, [this, alive = std::weak_ptr<bool>(alive_),
                                                     ticker = reading->newestNewTicker](std::vector<RgbImage> charts) {
    if (!alive.expired()) Step([&] { OnCharts(std::move(charts), ticker); });
  });
}

void RefreshCycle::OnCharts(std::vector<RgbImage> charts, const std::string& newestNewTicker) {
  store_.jvilRefreshCharts = std::move(charts);
  ports_.statusBar.SetStatusText("Saving lists");
  // The grid is rebuilt from the files, so it waits for the save; nothing
  // else writes or reads them meanwhile (the article actions are dropped
  // while the cycle runs).
  saves_.Save([this, alive = std::weak_ptr<bool>(alive_), newestNewTicker](const std::exception_ptr& failure) {
    if (!alive.expired()) Step([&] { OnSaved(failure, newestNewTicker); });
  });
}

void RefreshCycle::OnSaved(const std::exception_ptr& failure, const std::string& newestNewTicker) {
  // A save that failed (a full disk) left the store Unsaved: the grid shows
  // the merged lists from memory, the news is announced all the same, and
  // the next save that succeeds writes it.
  if (fillArticleGrid_) fillArticleGrid_();
  Announce(newestNewTicker);
  EndWith(failure ? NotSavedText(failure) : "Ready");
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
