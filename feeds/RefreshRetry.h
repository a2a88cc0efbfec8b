#pragma once
// When a refresh that found no connection is tried again, and which signs of
// the network coming back start one at once: another ping answered, a wake
// from sleep that left a refresh due, the system reporting itself online.
// Times are on a clock that goes on while the machine sleeps.
#include <chrono>
#include <optional>

namespace quarlen {

class RefreshRetry {
 public:
  using Ms = std::chrono::milliseconds;
  // The first retry's delay; each further one doubles it.
  static constexpr Ms FirstDelay{30000};
  // At most one refresh for an "online" report per this span.
  static constexpr Ms OnlineSpacing{60000};

  // A refresh's ping found the server: no retry is pending, the delays start over.
  void Reached(Ms now);
  // A refresh's ping failed at now: the next try comes after 30 s, then 1,
  // 2, 4 ... minutes. Returns that delay, or nothing when it would come no
  // sooner than the refresh timer's next tick (interval from now).
  std::optional<Ms> Unreachable(Ms now, Ms interval);
  // A pending retry's time has come (its timer fired); true when it is still pending.
  bool RetryDue(Ms now) const;
  // Another ping (banner, channel) found the server: true when a retry waits,
  // so the refresh runs now.
  bool PingAnswered() const { return pending_.has_value(); }
  // The machine woke at now: true when a refresh came due while it slept (a
  // pending retry, or the interval passed since the last refresh).
  bool Woke(Ms now, Ms interval) const;
  // The system reported itself online at now: true at most once per
  // OnlineSpacing, and only after a failed refresh or a silence of a whole interval.
  bool Online(Ms now, Ms interval);

 private:
  std::optional<Ms> lastRefresh_;  // when the last refresh's ping ended
  std::optional<Ms> pending_;      // when the pending retry is due
  std::optional<Ms> lastOnline_;   // when an online report last started a refresh
  int failures_ = 0;
};

}  // namespace quarlen
