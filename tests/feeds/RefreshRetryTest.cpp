#include "feeds/RefreshRetry.h"

#include <gtest/gtest.h>

#include <optional>
#include <string>
#include <vector>

namespace quarlen {
namespace {

using Ms = RefreshRetry::Ms;
constexpr Ms Second{1000};
constexpr Ms Minute{60000};

// One event on the schedule, at a time in seconds, and what it must answer:
// the retry delay after an unreachable refresh (nullopt: left to the refresh
// timer), or whether the event starts a refresh now.
struct Event {
  enum Kind { Reached, Unreachable, PingAnswered, RetryTimer, Woke, Online } kind;
  long seconds;
  std::optional<Ms> delay = std::nullopt;  // Unreachable
  bool refresh = false;                    // the others
};

TEST(RefreshRetryTest, Schedules) {
  struct Case {
    const char* name;
    Ms interval;
    std::vector<Event> events;
  };
  const std::vector<Case> cases = {
      {"30 s, then doubling up to the interval",
       30 * Minute,
       {{Event::Unreachable, 0, 30 * Second},
        {Event::Unreachable, 30, Minute},
        {Event::Unreachable, 90, 2 * Minute},
        {Event::Unreachable, 210, 4 * Minute},
        {Event::Unreachable, 450, 8 * Minute},
        {Event::Unreachable, 930, 16 * Minute},
        {Event::Unreachable, 1890, std::nullopt},  // 32 minutes: the refresh timer's 30 come first
        {Event::Unreachable, 3690, std::nullopt}}},
      {"a short interval caps the first retry",
       5 * Minute,
       {{Event::Unreachable, 0, 30 * Second},
        {Event::Unreachable, 30, Minute},
        {Event::Unreachable, 90, 2 * Minute},
        {Event::Unreachable, 210, 4 * Minute},
        {Event::Unreachable, 450, std::nullopt}}},
      {"a reached server starts the delays over",
       30 * Minute,
       {{Event::Unreachable, 0, 30 * Second},
        {Event::Unreachable, 30, Minute},
        {Event::Reached, 90},
        {Event::Unreachable, 1890, 30 * Second}}},
      {"a banner ping that answers starts the waiting retry at once",
       30 * Minute,
       {{Event::PingAnswered, 0, std::nullopt, false},
        {Event::Unreachable, 10, 30 * Second},
        {Event::PingAnswered, 20, std::nullopt, true},
        {Event::Reached, 21},
        {Event::PingAnswered, 80, std::nullopt, false}}},
      {"the retry timer finds the retry due, or already done",
       30 * Minute,
       {{Event::Unreachable, 0, 30 * Second},
        {Event::RetryTimer, 30, std::nullopt, true},
        {Event::Reached, 31},
        {Event::RetryTimer, 60, std::nullopt, false}}},
      {"a wake after a sleep longer than the interval refreshes",
       30 * Minute,
       {{Event::Reached, 0}, {Event::Woke, 600, std::nullopt, false}, {Event::Woke, 3600, std::nullopt, true}}},
      {"a wake past a pending retry refreshes",
       30 * Minute,
       {{Event::Unreachable, 0, 30 * Second},
        {Event::Woke, 20, std::nullopt, false},
        {Event::Woke, 45, std::nullopt, true}}},
      {"no wake refresh before the first refresh", 30 * Minute, {{Event::Woke, 7200, std::nullopt, false}}},
      {"online refreshes after a failure, at most once a minute",
       30 * Minute,
       {{Event::Unreachable, 0, 30 * Second},
        {Event::Online, 5, std::nullopt, true},
        {Event::Online, 50, std::nullopt, false},
        {Event::Online, 66, std::nullopt, true}}},
      {"online adds no ping while the server answers",
       30 * Minute,
       {{Event::Reached, 0}, {Event::Online, 100, std::nullopt, false}, {Event::Online, 1900, std::nullopt, true}}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    RefreshRetry retry;
    for (const Event& e : c.events) {
      SCOPED_TRACE(e.seconds);
      const Ms now = e.seconds * Second;
      switch (e.kind) {
        case Event::Reached:
          retry.Reached(now);
          break;
        case Event::Unreachable:
          EXPECT_EQ(retry.Unreachable(now, c.interval), e.delay);
          break;
        case Event::PingAnswered:
          EXPECT_EQ(retry.PingAnswered(), e.refresh);
          break;
        case Event::RetryTimer:
          EXPECT_EQ(retry.RetryDue(now), e.refresh);
          break;
        case Event::Woke:
          EXPECT_EQ(retry.Woke(now, c.interval), e.refresh);
          break;
        case Event::Online:
          EXPECT_EQ(retry.Online(now, c.interval), e.refresh);
          break;
      }
    }
  }
}

}  // namespace
}  // namespace quarlen
