#pragma once
// Downloads the chart of every article into the thumbnail list that the
// charts file is written from (`jvilRefreshCharts`), over up to four
// connections of its own at once.
#include <array>
#include <chrono>
#include <cstddef>
#include <functional>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "feeds/ThumbnailProgress.h"
#include "net/HttpClient.h"
#include "net/NetworkLoop.h"
#include "platform/RgbImage.h"
#include "platform/UiPorts.h"

namespace quarlen {

// The scheme and authority of a URL, letter case folded ("http://c.example:81");
// the whole text when it has no "://".
std::string UrlOrigin(std::string_view url);

// How long a chart's connect may take. Shorter than the whole transfer's
// deadline, so a chart host that takes no connection is known as such and
// not asked again in that refresh, rather than failing each chart in turn
// on the deadline.
inline constexpr std::chrono::milliseconds ChartConnectTimeout{30000};

class ChartThumbnails {
 public:
  // Puts the agent and proxy on a client right before each request.
  using HttpProfile = std::function<void(THttpClient&)>;
  using ChartDone = std::function<void(RgbImage chart)>;
  using ChartsDone = std::function<void(std::vector<RgbImage> charts)>;
  // One chart of a batch is in: index is its ticker's position in the batch.
  using ChartArrived = std::function<void(std::size_t index, RgbImage chart)>;
  using BatchDone = std::function<void()>;

  // How many charts are fetched at once, each on a client of its own.
  static constexpr std::size_t Connections = 4;

  // The clients are made on network; progress may be null.
  ChartThumbnails(NetworkContext network, HttpProfile applyProfile, IStatusBar& status, IThumbnailProgress* progress);
  ~ChartThumbnails();
  ChartThumbnails(const ChartThumbnails&) = delete;
  ChartThumbnails& operator=(const ChartThumbnails&) = delete;

  // Starts downloading the chart at the percent-encoded url; done gets the
  // chart, or the blank thumbnail when the request fails, the data is no PNG
  // or the picture is not exactly 86 x 60.
  void FetchChartThumbnail(const std::string& encodedUrl, ChartDone done);

  // Starts a batch: one thumbnail per ticker, started from the last (oldest)
  // to the first, up to Connections at once, with "Refreshing chart for " +
  // the decoded URL shown as each starts. arrived runs once per ticker, in
  // the order they come in; done after the last. A host that could not be
  // reached is not asked again in the batch: its other charts are blank at
  // once. A batch still under way is abandoned first (its calls never come).
  void StartBatch(std::vector<std::string> tickers, ChartArrived arrived, BatchDone done);
  // The whole batch at once: done gets image i belonging to ticker i.
  void RefreshChartThumbnails(std::vector<std::string> tickers, ChartsDone done);
  // How long each chart's connect may take (default ChartConnectTimeout).
  void SetConnectTimeout(std::chrono::milliseconds timeout);
  // Ends the batch under way, if any, without another call of it.
  void Abandon();
  // True while a batch is under way.
  bool Loading() const { return batch_ != nullptr; }
  // The last "Refreshing chart for ..." text shown.
  const std::string& StatusText() const { return statusText_; }

 private:
  struct Batch;
  void Pump();
  void Start(std::size_t slot, std::size_t index);
  void Arrive(std::size_t index, RgbImage chart);
  void Fetch(std::size_t slot, const std::string& url,
             std::function<void(const std::exception_ptr& failure, RgbImage chart)> done);

  NetworkContext network_;
  HttpProfile applyProfile_;
  IStatusBar& status_;
  IThumbnailProgress* progress_;
  std::array<std::unique_ptr<THttpClient>, Connections> clients_;
  std::array<bool, Connections> inUse_{};
  std::shared_ptr<Batch> batch_;
  std::string statusText_;
  std::chrono::milliseconds connectTimeout_ = ChartConnectTimeout;
  std::shared_ptr<bool> alive_ = std::make_shared<bool>(true);  // completions look here first
};

}  // namespace quarlen
