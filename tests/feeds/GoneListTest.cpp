#include "feeds/GoneList.h"

#include <gtest/gtest.h>

#include <string>
#include <unordered_set>
#include <vector>

#include "platform/SameLink.h"

namespace quarlen {
namespace {

using Lines = std::vector<std::string>;
using std::chrono::sys_days;

sys_days Day(int y, unsigned m, unsigned d) { return sys_days(std::chrono::year(y) / m / d); }

TEST(GoneList, SettleDatesWhatTheFeedCarriesAndForgetsAfterAWeek) {
  const sys_days today = Day(2026, 12, 10);
  struct Case {
    const char* name;
    Lines before;
    std::vector<std::string> carried;
    std::vector<std::string> taken;
    Lines after;
  };
  const std::vector<Case> cases = {
      {"an empty feed forgets nothing of the last week",
       {"2026-12-03 read http://a", "2026-12-09 deleted http://b", "2026-12-10 unread http://c"},
       {},
       {},
       {"2026-12-03 read http://a", "2026-12-09 deleted http://b", "2026-12-10 unread http://c"}},
      {"not carried for more than a week: forgotten",
       {"2026-12-02 read http://a", "2026-12-03 deleted http://b"},
       {},
       {},
       {"2026-12-03 deleted http://b"}},
      {"carried today: dated today, whatever its letter case",
       {"2026-11-01 deleted http://A", "2026-12-05 read http://b"},
       {"http://a"},
       {},
       {"2026-12-10 deleted http://A", "2026-12-05 read http://b"}},
      {"taken back into the store: forgotten",
       {"2026-12-09 read http://a", "2026-12-09 unread http://b"},
       {"http://a", "http://b"},
       {"http://b"},
       {"2026-12-10 read http://a"}},
  };
  for (const Case& c : cases) {
    GoneList list = GoneList::FromLines(c.before, today);
    std::unordered_set<std::string> carried, taken;
    for (const std::string& link : c.carried) carried.insert(LinkKey(link));
    for (const std::string& link : c.taken) taken.insert(LinkKey(link));
    list.Settle(carried, taken, today);
    EXPECT_EQ(list.Lines(), c.after) << c.name;
    for (const std::string& line : c.after) EXPECT_NE(list.Find(line.substr(line.rfind(' ') + 1)), nullptr) << c.name;
  }
}

TEST(GoneList, HoldsAtMostItsCapTheLongestAbsentGoingFirst) {
  const sys_days today = Day(2026, 12, 10);
  GoneList list;
  // Three links of the 5th, then the cap's worth of the 8th, then two of the 4th.
  auto link = [](int i) { return "http://n/" + std::to_string(i); };
  int n = 0;
  for (int i = 0; i < 3; ++i) list.Add(link(n++), "read", Day(2026, 12, 5));
  for (std::size_t i = 0; i < GoneList::MaxLinks; ++i) list.Add(link(n++), "read", Day(2026, 12, 8));
  for (int i = 0; i < 2; ++i) list.Add(link(n++), "read", Day(2026, 12, 4));
  list.Add(link(1), "deleted", Day(2026, 12, 4));  // a second record of link 1 moves it to the 4th
  list.Settle({LinkKey(link(2))}, {}, today);      // link 2 is carried today

  ASSERT_EQ(list.Count(), GoneList::MaxLinks);
  // Gone: the two of the 4th, link 1 (4th) and link 0 (5th); then the first
  // link of the 8th, which left the store before the others of its day.
  for (int i : {0, 1, 3, n - 1, n - 2}) EXPECT_EQ(list.Find(link(i)), nullptr) << i;
  EXPECT_EQ(list.Find(link(2))->carried, today);
  EXPECT_NE(list.Find(link(4)), nullptr);
  EXPECT_EQ(list.Entries().front().link, link(2));
}

}  // namespace
}  // namespace quarlen
