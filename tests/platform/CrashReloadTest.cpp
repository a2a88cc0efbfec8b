// A page whose renderer keeps dying reloads at most once per gap, and still comes back.
#include "platform/CrashReload.h"

#include <gtest/gtest.h>

namespace quarlen {
namespace {

TEST(CrashReload, ReloadsAtOnceUnlessTheLastCrashReloadIsLessThanTheGapAgo) {
  using std::chrono::milliseconds;
  const auto now = std::chrono::steady_clock::now();
  struct Case {
    const char* name;
    std::optional<std::chrono::steady_clock::time_point> last;
    milliseconds delay;
  };
  const Case cases[] = {
      {"first crash", std::nullopt, milliseconds(0)},
      {"a crash right after the reload", now, CrashReloadGap},
      {"3 s after the reload", now - milliseconds(3000), milliseconds(7000)},
      {"just inside the gap", now - CrashReloadGap + milliseconds(1), milliseconds(1)},
      {"exactly the gap", now - CrashReloadGap, milliseconds(0)},
      {"long after", now - milliseconds(60000), milliseconds(0)},
  };
  for (const Case& c : cases) EXPECT_EQ(CrashReloadDelay(c.last, now), c.delay) << c.name;
}

}  // namespace
}  // namespace quarlen
