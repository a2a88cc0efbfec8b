#include "view/ChartRequest.h"

namespace quarlen {

std::string ChartRequestUrl(std::string_view chartServer, std::string_view ticker, int chartType) {
  // The ticker goes in untouched: the chart server takes the symbol as the
  // user typed it, blanks and ampersands included.
  std::string url(chartServer);
  switch (static_cast<ChartType>(chartType)) {
    case ChartType::Weekly:
      url.append("/en/index.php?l1=8&symbol=").append(ticker).append("&per=Weekly&months=6");
      break;
    case ChartType::Intraday:
      url.append("/en/index.php?l1=8&l2=4&symbol=").append(ticker);
      break;
    case ChartType::PointAndFigure:
      url.append("/en/index.php?l1=7&symbol=").append(ticker).append("&data=24");
      break;
    case ChartType::Daily:
    default:
      url.append("/en/index.php?l1=8&symbol=").append(ticker);
      break;
  }
  return url;
}

}  // namespace quarlen
