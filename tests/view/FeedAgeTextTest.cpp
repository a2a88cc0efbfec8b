// The status bar's age of the news: what a trader reads after each kind of refresh.
#include "view/FeedAgeText.h"

#include <gtest/gtest.h>

namespace quarlen {
namespace {

TEST(FeedAgeText, SaysWhenTheFeedWasLastReadAndWhetherARefreshFailedSince) {
  constexpr long Today = 20261210;
  const ShownMoment morning{Today, "09:15", "12/10/26"};
  const ShownMoment lastEvening{Today - 1, "18:40", "12/9/26"};
  struct Case {
    const char* name;
    FeedAge age;
    const char* text;
  };
  const Case cases[] = {
      {"nothing read yet", {}, "Not updated yet"},
      {"failed before any read", {std::nullopt, true}, "Not updated yet"},
      {"read today", {morning, false}, "Updated 09:15"},
      {"read yesterday", {lastEvening, false}, "Updated 12/9/26 18:40"},
      {"failed after a read today", {morning, true}, "Not updated since 09:15"},
      {"failed after a read yesterday", {lastEvening, true}, "Not updated since 12/9/26 18:40"},
  };
  for (const Case& c : cases) EXPECT_EQ(FeedAgeText(c.age, Today), c.text) << c.name;
  EXPECT_EQ(TrayToolTipText("Updated 09:15"), "Quarlen Messenger\nUpdated 09:15");
}

}  // namespace
}  // namespace quarlen
