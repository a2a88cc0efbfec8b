#pragma once
// The chart request box: the chart page of the chart server for a ticker and a
// chart type, opened in the user's browser.
#include <string>
#include <string_view>

namespace quarlen {

// The items of the chart type box, in their order.
enum class ChartType { Daily = 0, Weekly = 1, Intraday = 2, PointAndFigure = 3 };

// chartServer + the page for chartType with ticker appended exactly as typed
// (no trimming, no case change, no escaping). Any index that is no item
// (none selected is -1) gives the daily chart.
std::string ChartRequestUrl(std::string_view chartServer, std::string_view ticker, int chartType);

}  // namespace quarlen
