#pragma once
// Downloads the chart of every article into the thumbnail list that the
// charts file is written from (`jvilRefreshCharts`).
#include <functional>
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

  // client: the main client `IdHTTP1`. window is used only to pump messages.
  // progress may be null.
  ChartThumbnails(THttpClient& client, HttpProfile applyProfile, IStatusBar& status, IMainWindow& window,
                  IThumbnailProgress* progress);

  // Downloads the chart at the percent-encoded url and inserts exactly one
  // image at position 0 of charts: the chart, or the blank thumbnail when the
  // request fails, the data is no PNG or the picture is not exactly 86 x 60.
  void FetchChartThumbnail(const std::string& encodedUrl, std::vector<RgbImage>& charts);

  // Rebuilds charts with one thumbnail per ticker, walking from the last
  // (oldest) ticker to the first, so that image i belongs to ticker i. Shows
  // "Refreshing chart for " + the decoded URL for each. Download failures are
  // absorbed; an exception from the message pump leaves charts short.
  void RefreshChartThumbnails(const std::vector<std::string>& tickers, std::vector<RgbImage>& charts);

 private:
  THttpClient& client_;
  HttpProfile applyProfile_;
  IStatusBar& status_;
  IMainWindow& window_;
  IThumbnailProgress* progress_;
};

}  // namespace quarlen
