#include "feeds/ChartThumbnails.h"

#include <utility>

#include "feeds/ThumbnailPng.h"
#include "feeds/ThumbnailUrl.h"

namespace quarlen {

ChartThumbnails::ChartThumbnails(THttpClient& client, HttpProfile applyProfile, IStatusBar& status, IMainWindow& window,
                                 IThumbnailProgress* progress)
    : client_(client), applyProfile_(std::move(applyProfile)), status_(status), window_(window), progress_(progress) {}

void ChartThumbnails::FetchChartThumbnail(const std::string& encodedUrl, std::vector<RgbImage>& charts) {
  RgbImage chart;
  bool decoded = false;
  try {
    if (applyProfile_) applyProfile_(client_);
    const std::string body = client_.Get(DecodeChartUrl(encodedUrl));
    window_.ProcessMessages();
    decoded = TryDecodeThumbnailPng(body, chart);
    window_.ProcessMessages();
  } catch (const HttpError&) {
    // A failed chart costs only its own thumbnail; the loop goes on.
  }
  if (!decoded) chart = BlankThumbnail();
  charts.insert(charts.begin(), std::move(chart));
  window_.ProcessMessages();
}

namespace {

// Takes the progress bar away however the downloads end.
class ProgressScope {
 public:
  ProgressScope(IThumbnailProgress* progress, int total) : progress_(total > 0 ? progress : nullptr) {
    if (progress_) progress_->ShowThumbnailProgress(0, total);
  }
  ~ProgressScope() {
    if (progress_) progress_->HideThumbnailProgress();
  }
  void Show(int done, int total) {
    if (progress_) progress_->ShowThumbnailProgress(done, total);
  }
  ProgressScope(const ProgressScope&) = delete;
  ProgressScope& operator=(const ProgressScope&) = delete;

 private:
  IThumbnailProgress* progress_;
};

}  // namespace

void ChartThumbnails::RefreshChartThumbnails(const std::vector<std::string>& tickers, std::vector<RgbImage>& charts) {
  charts.clear();
  const int total = static_cast<int>(tickers.size());
  ProgressScope progress(progress_, total);
  for (int k = total - 1; k >= 0; --k) {
    status_.SetStatusText("Refreshing chart for " + DecodeChartUrl(tickers[k]));
    FetchChartThumbnail(tickers[k], charts);
    progress.Show(total - k, total);
    window_.ProcessMessages();
  }
}

}  // namespace quarlen
