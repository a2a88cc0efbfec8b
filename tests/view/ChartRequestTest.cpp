#include "view/ChartRequest.h"

#include <gtest/gtest.h>

namespace quarlen {
namespace {

TEST(ChartRequestTest, BuildsThePageOfEachChartType) {
  struct Case {
    std::string ticker;
    int chartType;
    std::string tail;  // after "http://c.test"
  };
  const std::vector<Case> cases = {
      {"QQQQ", 0, "/en/index.php?l1=8&symbol=QQQQ"},
      {"QQQQ", 1, "/en/index.php?l1=8&symbol=QQQQ&per=Weekly&months=6"},
      {"SBER", 2, "/en/index.php?l1=8&l2=4&symbol=SBER"},
      {"SBER", 3, "/en/index.php?l1=7&symbol=SBER&data=24"},
      {"", 0, "/en/index.php?l1=8&symbol="},
      {" a b&c=d ", 1, "/en/index.php?l1=8&symbol= a b&c=d &per=Weekly&months=6"},  // as typed
      {"msft", -1, "/en/index.php?l1=8&symbol=msft"},                               // nothing selected: daily
      {"X", 4, "/en/index.php?l1=8&symbol=X"},
      {"\xD0\x9F", 0, "/en/index.php?l1=8&symbol=\xD0\x9F"},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(ChartRequestUrl("http://c.test", c.ticker, c.chartType), "http://c.test" + c.tail)
        << c.ticker << " " << c.chartType;
  }
}

}  // namespace
}  // namespace quarlen
