#include "feeds/ChartThumbnails.h"

#include <algorithm>
#include <set>
#include <utility>

#include "feeds/ThumbnailPng.h"
#include "feeds/ThumbnailUrl.h"
#include "platform/AsciiText.h"

namespace quarlen {

std::string UrlOrigin(std::string_view url) {
  const std::size_t scheme = url.find("://");
  if (scheme == std::string_view::npos) return AsciiLowered(url);
  const std::size_t end = url.find_first_of("/?#", scheme + 3);
  return AsciiLowered(url.substr(0, end));
}

// One batch under way: the tickers, the next one to start (counting down,
// oldest first), and the hosts that could not be reached.
struct ChartThumbnails::Batch {
  std::vector<std::string> tickers;
  std::ptrdiff_t next = 0;
  std::size_t arrivedCount = 0;
  std::set<std::string> unreachable;
  ChartArrived arrived;
  BatchDone done;
};

ChartThumbnails::ChartThumbnails(NetworkContext network, HttpProfile applyProfile, IStatusBar& status,
                                 IThumbnailProgress* progress)
    : network_(network), applyProfile_(std::move(applyProfile)), status_(status), progress_(progress) {
  for (auto& client : clients_)
    client = std::make_unique<THttpClient>(THttpClientKind::MainClient, network_.loop, network_.ui);
}

ChartThumbnails::~ChartThumbnails() = default;

void ChartThumbnails::Fetch(std::size_t slot, const std::string& url,
                            std::function<void(const std::exception_ptr& failure, RgbImage chart)> done) {
  THttpClient& client = *clients_[slot];
  inUse_[slot] = true;
  client.SetConnectTimeout(connectTimeout_);
  if (applyProfile_) applyProfile_(client);
  // A refused URL (no http, a line break inside) ends here as a failure too,
  // without a byte sent.
  client.AsyncGet(url, [this, slot, alive = std::weak_ptr<bool>(alive_), done = std::move(done)](
                           const std::exception_ptr& failure, const std::string& body) {
    if (alive.expired()) return;
    inUse_[slot] = false;
    // A failed chart costs only its own thumbnail. A thumbnail is 86 x 60:
    // decoding it takes far less than a frame, so it stays on this thread.
    RgbImage chart;
    if (failure || !TryDecodeThumbnailPng(body, chart)) chart = BlankThumbnail();
    done(failure, std::move(chart));
  });
}

void ChartThumbnails::FetchChartThumbnail(const std::string& encodedUrl, ChartDone done) {
  const auto free = std::find(inUse_.begin(), inUse_.end(), false);
  if (free == inUse_.end()) {
    network_.ui.Post([done = std::move(done)] { done(BlankThumbnail()); });
    return;
  }
  Fetch(static_cast<std::size_t>(free - inUse_.begin()), DecodeChartUrl(encodedUrl),
        [done = std::move(done)](const std::exception_ptr&, RgbImage chart) { done(std::move(chart)); });
}

void ChartThumbnails::StartBatch(std::vector<std::string> tickers, ChartArrived arrived, BatchDone done) {
  Abandon();
  auto batch = std::make_shared<Batch>();
  batch->next = static_cast<std::ptrdiff_t>(tickers.size()) - 1;
  batch->tickers = std::move(tickers);
  batch->arrived = std::move(arrived);
  batch->done = std::move(done);
  batch_ = batch;
  const int total = static_cast<int>(batch->tickers.size());
  if (total == 0) {
    batch_.reset();
    if (batch->done) batch->done();
    return;
  }
  if (progress_) progress_->ShowThumbnailProgress(0, total);
  Pump();
}

void ChartThumbnails::RefreshChartThumbnails(std::vector<std::string> tickers, ChartsDone done) {
  auto charts = std::make_shared<std::vector<RgbImage>>(tickers.size());
  StartBatch(
      std::move(tickers), [charts](std::size_t index, RgbImage chart) { (*charts)[index] = std::move(chart); },
      [charts, done = std::move(done)] { done(std::move(*charts)); });
}

void ChartThumbnails::SetConnectTimeout(std::chrono::milliseconds timeout) { connectTimeout_ = timeout; }

void ChartThumbnails::Abandon() {
  if (!batch_) return;
  batch_.reset();
  // A client with a request under way stays busy until the network thread
  // has closed its connection: a fresh one takes its place at once.
  for (std::size_t slot = 0; slot < Connections; ++slot) {
    if (!inUse_[slot]) continue;
    clients_[slot] = std::make_unique<THttpClient>(THttpClientKind::MainClient, network_.loop, network_.ui);
    inUse_[slot] = false;
  }
  if (progress_) progress_->HideThumbnailProgress();
}

void ChartThumbnails::Pump() {
  // Holds the batch: an arrival below may end it or start another.
  const std::shared_ptr<Batch> batch = batch_;
  while (batch && batch_ == batch && batch->next >= 0) {
    const auto index = static_cast<std::size_t>(batch->next);
    // Every chart of a host that could not be reached would cost a connect
    // limit of its own: they are blank at once instead.
    if (batch->unreachable.contains(UrlOrigin(DecodeChartUrl(batch->tickers[index])))) {
      --batch->next;
      Arrive(index, BlankThumbnail());
      continue;
    }
    const auto free = std::find(inUse_.begin(), inUse_.end(), false);
    if (free == inUse_.end()) return;
    --batch->next;
    Start(static_cast<std::size_t>(free - inUse_.begin()), index);
  }
}

void ChartThumbnails::Start(std::size_t slot, std::size_t index) {
  const std::string url = DecodeChartUrl(batch_->tickers[index]);
  statusText_ = "Refreshing chart for " + url;
  status_.SetStatusText(statusText_);
  Fetch(slot, url,
        [this, index, batch = std::weak_ptr<Batch>(batch_), origin = UrlOrigin(url)](const std::exception_ptr& failure,
                                                                                     RgbImage chart) {
          const std::shared_ptr<Batch> mine = batch.lock();
          if (!mine || mine != batch_) return;
          if (IsConnectFailure(failure)) mine->unreachable.insert(origin);
          Arrive(index, std::move(chart));
          Pump();
        });
}

void ChartThumbnails::Arrive(std::size_t index, RgbImage chart) {
  const std::shared_ptr<Batch> batch = batch_;
  ++batch->arrivedCount;
  const int total = static_cast<int>(batch->tickers.size());
  if (progress_) progress_->ShowThumbnailProgress(static_cast<int>(batch->arrivedCount), total);
  if (batch->arrived) batch->arrived(index, std::move(chart));
  if (batch_ != batch || batch->arrivedCount < batch->tickers.size()) return;
  batch_.reset();
  if (progress_) progress_->HideThumbnailProgress();
  if (batch->done) batch->done();
}

}  // namespace quarlen
