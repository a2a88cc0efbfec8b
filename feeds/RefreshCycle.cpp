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
#include "feeds/DelayedPost.h"
#include "feeds/GoneList.h"
#include "feeds/ThumbnailPng.h"
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

// The charts of one cycle: what each ticker's row is (link and ticker, so a
// late chart finds its row after a delete or a reload), the pictures so far,
// and where the cycle stands with them.
struct RefreshCycle::ChartRound {
  std::vector<std::string> links, tickers;
  std::vector<RgbImage> charts;  // the previous picture of the link, or blank, until the chart is in
  std::vector<bool> in;
  std::string newestNewTicker;
  bool shown = false;     // the news was handed to the save that shows it
  bool allIn = false;     // every chart is in
  bool landed = false;    // the grid shows the news: charts go straight to their rows
  bool savedAll = false;  // every chart was in when the news was saved
};

RefreshCycle::RefreshCycle(ArticleStore& store, THttpClient& mainClient, std::string feedUrl,
                           const INotificationSettings& settings, ClientProfile applyProfile, PingCall ping,
                           RefreshCyclePorts ports, GridRebuild fillArticleGrid, CycleThreads threads,
                           GridRebuild repaintCharts)
    : store_(store),
      client_(mainClient),
      feedUrl_(std::move(feedUrl)),
      repaintCharts_(std::move(repaintCharts)),
      settings_(settings),
      applyProfile_(std::move(applyProfile)),
      ping_(std::move(ping)),
      ports_(ports),
      fillArticleGrid_(std::move(fillArticleGrid)),
      threads_(threads),
      saves_(store, threads.worker, threads.ui, ports.saveAlarm),
      // The charts come over clients of their own: the main client never
      // gets a second request while the feed's is under way.
      thumbnails_(NetworkContext{threads.network, threads.ui}, applyProfile_, ports.statusBar, ports.thumbnailProgress),
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

void RefreshCycle::EndUnread(const std::string& status) {
  if (ports_.feedAge != nullptr) ports_.feedAge->RefreshFailed();
  EndWith(status);
}

void RefreshCycle::FetchRSS() {
  // Busy is set before the ping rather than after it: a second command
  // arriving while the ping waits must find the gate closed, or two cycles
  // would run side by side on one client and one store.
  if (busy_) return;
  busy_ = true;
  // The last cycle's charts still coming are abandoned: this cycle fetches
  // them all again, for the rows it finds.
  thumbnails_.Abandon();
  round_.reset();
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
  if (reachObserver_) reachObserver_(answered);
  if (!answered) {
    busy_ = false;  // the status bar keeps the ping's message
    if (ports_.feedAge != nullptr) ports_.feedAge->RefreshFailed();
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
      return EndUnread(e.what());
    } catch (const std::exception& e) {
      // "Ready" here would tell a trader whose feed has been failing all
      // morning the same as one whose feed works: the line keeps the failure
      // until the next cycle begins.
      return EndUnread(FeedNotRead + std::string(e.what()));
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
  // A web filter's page of its own comes with a success status but is no feed.
  if (!reading->rss) return EndUnread(FeedNotRead + reading->parseFailure);
  if (ports_.feedAge != nullptr) ports_.feedAge->FeedRead(std::chrono::system_clock::now());

  // The pictures of the lists as loaded, by link: a row whose chart has not
  // come yet keeps it rather than flashing blank.
  std::unordered_map<std::string, RgbImage> previous;
  for (std::size_t k = 0; k < store_.url.size() && k < store_.jvilRefreshCharts.size(); ++k)
    previous.emplace(LinkKey(store_.url[k]), store_.jvilRefreshCharts[k]);

  ArticleStore& merged = reading->merged;
  for (auto list : {&ArticleStore::url, &ArticleStore::subject, &ArticleStore::description, &ArticleStore::date,
                    &ArticleStore::ticker, &ArticleStore::read, &ArticleStore::latest, &ArticleStore::latest_subject}) {
    store_.*list = std::move(merged.*list);
  }
  store_.gone = std::move(merged.gone);
  // The last document is kept for SimpleRSS1; the one before it is freed on
  // the worker, since freeing a large document takes a while too.
  threads_.worker.Post([old = std::exchange(rss_, reading->rss)] {});

  std::vector<RgbImage> charts;
  charts.reserve(store_.url.size());
  for (const std::string& link : store_.url) {
    const auto it = previous.find(LinkKey(link));
    charts.push_back(it == previous.end() ? BlankThumbnail() : it->second);
  }
  StartCharts(std::move(charts), reading->newestNewTicker);
}

void RefreshCycle::StartCharts(std::vector<RgbImage> previous, const std::string& newestNewTicker) {
  auto round = std::make_shared<ChartRound>();
  round->links = store_.url;
  round->tickers = store_.ticker;
  round->tickers.resize(round->links.size());
  round->charts = std::move(previous);
  round->in.assign(round->links.size(), false);
  round->newestNewTicker = newestNewTicker;
  round_ = round;
  auto mine = [this, alive = std::weak_ptr<bool>(alive_), weak = std::weak_ptr<ChartRound>(round)](auto step) {
    return [this, alive, weak, step](auto&&... args) {
      const std::shared_ptr<ChartRound> round = weak.lock();
      if (alive.expired() || !round || round != round_) return;
      Step([&] { step(round, args...); });
    };
  };
  thumbnails_.StartBatch(round->tickers,
                         mine([this](const std::shared_ptr<ChartRound>& r, std::size_t index, RgbImage& chart) {
                           ChartIn(r, index, std::move(chart));
                         }),
                         mine([this](const std::shared_ptr<ChartRound>& r) {
                           r->allIn = true;
                           if (!r->shown) return ShowNews(r);
                           if (r->landed) ChartsDone(r);
                         }));
  // A chart host that hangs or drops every packet must not hold the news
  // back: past the grace it is shown with the charts that are in.
  if (round_ == round && !round->shown)
    PostAfter(NetworkContext{threads_.network, threads_.ui}, chartGrace_,
              mine([this](const std::shared_ptr<ChartRound>& r) {
                if (!r->shown) ShowNews(r);
              }));
}

void RefreshCycle::ChartIn(const std::shared_ptr<ChartRound>& round, std::size_t index, RgbImage chart) {
  if (index >= round->charts.size()) return;
  round->charts[index] = std::move(chart);
  round->in[index] = true;
  if (!round->landed) return;
  // Straight to its row, found by link and ticker: a row deleted or moved
  // meanwhile never gets another article's picture.
  LandCharts(*round);
  if (repaintCharts_) repaintCharts_();
}

void RefreshCycle::LandCharts(const ChartRound& round) {
  for (std::size_t i = 0; i < round.links.size(); ++i) {
    if (!round.in[i]) continue;
    const std::string& link = round.links[i];
    for (std::size_t k = 0; k < store_.url.size() && k < store_.jvilRefreshCharts.size(); ++k)
      if (k < store_.ticker.size() && store_.ticker[k] == round.tickers[i] && SameLink(store_.url[k], link))
        store_.jvilRefreshCharts[k] = round.charts[i];
    for (std::size_t v = 0; v < store_.url_view.size() && v < store_.jvilCharts.size(); ++v)
      if (SameLink(store_.url_view[v], link)) store_.jvilCharts[v] = round.charts[i];
  }
}

void RefreshCycle::ShowNews(const std::shared_ptr<ChartRound>& round) {
  round->shown = true;
  round->savedAll = round->allIn;
  store_.jvilRefreshCharts = round->charts;
  ports_.statusBar.SetStatusText("Saving lists");
  // The grid is rebuilt from the files, so it waits for the save; nothing
  // else writes or reads them meanwhile (the article actions are dropped
  // while the cycle runs).
  saves_.Save([this, alive = std::weak_ptr<bool>(alive_), round](const std::exception_ptr& failure) {
    if (!alive.expired()) Step([&] { OnSaved(failure, round); });
  });
}

void RefreshCycle::OnSaved(const std::exception_ptr& failure, const std::shared_ptr<ChartRound>& round) {
  // A save that failed (a full disk) left the store Unsaved: the grid shows
  // the merged lists from memory, the news is announced all the same, and
  // the next save that succeeds writes it.
  if (fillArticleGrid_) fillArticleGrid_();
  Announce(round->newestNewTicker);
  const std::string ended = failure ? NotSavedText(failure) : "Ready";
  if (round != round_) return EndWith(ended);
  if (round->savedAll) {
    round_.reset();
    return EndWith(ended);
  }
  // The charts that came while the lists were written go onto the rows the
  // grid now shows.
  round->landed = true;
  LandCharts(*round);
  if (round->allIn) return ChartsDone(round);
  if (repaintCharts_) repaintCharts_();
  // The article actions may run again; the status says what still goes on.
  EndWith(thumbnails_.StatusText());
}

void RefreshCycle::ChartsDone(const std::shared_ptr<ChartRound>& round) {
  // The news is out; the charts file follows with every picture in. The
  // lists are saved as they are now, with any mark or delete made meanwhile.
  LandCharts(*round);
  saves_.Save([this, alive = std::weak_ptr<bool>(alive_), round](const std::exception_ptr& failure) {
    if (alive.expired() || round != round_) return;
    round_.reset();
    Step([&] {
      if (fillArticleGrid_) fillArticleGrid_();
      // A cycle begun meanwhile owns the status line.
      if (!busy_) EndWith(failure ? NotSavedText(failure) : "Ready");
    });
  });
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
