#pragma once
// Downloads the chart of every article into the thumbnail list that the
// charts file is written from (`jvilRefreshCharts`).
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "feeds/ThumbnailProgress.h"
#include "net/HttpClient.h"
#include "platform/RgbImage.h"
#include "platform/UiPorts.h"

namespace quarlen {

class ChartThumbnails {
 public:
  // Puts the agent and proxy on the client right before each request.
  using HttpProfile = std::function<void(THttpClient&)>;
  using ChartDone = std::function<void(RgbImage chart)>;
  using ChartsDone = std::function<void(std::vector<RgbImage> charts)>;

  // client: the main client `IdHTTP1`, an asynchronous one. progress may be null.
  ChartThumbnails(THttpClient& client, HttpProfile applyProfile, IStatusBar& status, IThumbnailProgress* progress);

  // Starts downloading the chart at the percent-encoded url; done gets the
  // chart, or the blank thumbnail when the request fails, the data is no PNG
  // or the picture is not exactly 86 x 60.
  void FetchChartThumbnail(const std::string& encodedUrl, ChartDone done);

  // Starts downloading one thumbnail per ticker, one after the other from the
  // last (oldest) ticker to the first; done gets them with image i belonging
  // to ticker i. Shows "Refreshing chart for " + the decoded URL for each.
  // Download failures are absorbed.
  void RefreshChartThumbnails(std::vector<std::string> tickers, ChartsDone done);

 private:
  struct Refresh;
  void Next(const std::shared_ptr<Refresh>& refresh);

  THttpClient& client_;
  HttpProfile applyProfile_;
  IStatusBar& status_;
  IThumbnailProgress* progress_;
  std::shared_ptr<bool> alive_ = std::make_shared<bool>(true);  // completions look here first
};

}  // namespace quarlen
