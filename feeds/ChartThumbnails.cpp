#include "feeds/ChartThumbnails.h"

#include <utility>

#include "feeds/ThumbnailPng.h"
#include "feeds/ThumbnailUrl.h"

namespace quarlen {

// One refresh under way: the tickers still to fetch and the pictures so far,
// newest first.
struct ChartThumbnails::Refresh {
  std::vector<std::string> tickers;
  std::vector<RgbImage> charts;
  int next = 0;  // the ticker fetched next; -1 when all are done
  ChartsDone done;
};

ChartThumbnails::ChartThumbnails(THttpClient& client, HttpProfile applyProfile, IStatusBar& status,
                                 IThumbnailProgress* progress)
    : client_(client), applyProfile_(std::move(applyProfile)), status_(status), progress_(progress) {}

void ChartThumbnails::FetchChartThumbnail(const std::string& encodedUrl, ChartDone done) {
  if (applyProfile_) applyProfile_(client_);
  // A refused URL (no http, a line break inside) ends here as a failure too,
  // without a byte sent.
  client_.AsyncGet(DecodeChartUrl(encodedUrl), [alive = std::weak_ptr<bool>(alive_), done = std::move(done)](
                                                   const std::exception_ptr& failure, const std::string& body) {
    if (alive.expired()) return;
    // A failed chart costs only its own thumbnail. A thumbnail is 86 x 60:
    // decoding it takes far less than a frame, so it stays on this thread.
    RgbImage chart;
    if (failure || !TryDecodeThumbnailPng(body, chart)) chart = BlankThumbnail();
    done(std::move(chart));
  });
}

void ChartThumbnails::RefreshChartThumbnails(std::vector<std::string> tickers, ChartsDone done) {
  auto refresh = std::make_shared<Refresh>();
  refresh->next = static_cast<int>(tickers.size()) - 1;
  refresh->tickers = std::move(tickers);
  refresh->charts.reserve(refresh->tickers.size());
  refresh->done = std::move(done);
  if (progress_ && !refresh->tickers.empty())
    progress_->ShowThumbnailProgress(0, static_cast<int>(refresh->tickers.size()));
  Next(refresh);
}

void ChartThumbnails::Next(const std::shared_ptr<Refresh>& refresh) {
  const int total = static_cast<int>(refresh->tickers.size());
  if (refresh->next < 0) {
    if (progress_ && total > 0) progress_->HideThumbnailProgress();
    // The pictures were gathered oldest first; image i belongs to ticker i.
    std::vector<RgbImage> charts(std::make_move_iterator(refresh->charts.rbegin()),
                                 std::make_move_iterator(refresh->charts.rend()));
    refresh->done(std::move(charts));
    return;
  }
  const std::string& ticker = refresh->tickers[static_cast<std::size_t>(refresh->next)];
  status_.SetStatusText("Refreshing chart for " + DecodeChartUrl(ticker));
  FetchChartThumbnail(ticker, [this, refresh, total](RgbImage chart) {
    refresh->charts.push_back(std::move(chart));
    --refresh->next;
    if (progress_) progress_->ShowThumbnailProgress(total - refresh->next - 1, total);
    Next(refresh);
  });
}

}  // namespace quarlen
