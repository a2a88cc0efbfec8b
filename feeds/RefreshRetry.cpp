#include "feeds/RefreshRetry.h"

#include <algorithm>

namespace quarlen {

void RefreshRetry::Reached(Ms now) {
  lastRefresh_ = now;
  pending_.reset();
  failures_ = 0;
}

std::optional<RefreshRetry::Ms> RefreshRetry::Unreachable(Ms now, Ms interval) {
  lastRefresh_ = now;
  // Doubling stops well before it could overflow: the interval caps it anyway.
  const Ms delay = FirstDelay * (1LL << std::min(failures_, 20));
  ++failures_;
  if (delay >= interval) {
    // The refresh timer comes first or as soon: a retry of our own would
    // only send a second ping right beside its one.
    pending_ = now + interval;
    return std::nullopt;
  }
  pending_ = now + delay;
  return delay;
}

bool RefreshRetry::RetryDue(Ms now) const { return pending_ && *pending_ <= now; }

bool RefreshRetry::Woke(Ms now, Ms interval) const {
  if (pending_ && *pending_ <= now) return true;
  return lastRefresh_ && now - *lastRefresh_ >= interval;
}

bool RefreshRetry::Online(Ms now, Ms interval) {
  // While refreshes reach the server an "online" report brings nothing new:
  // it must not add pings to a network that works.
  const bool wanted = pending_ || !lastRefresh_ || now - *lastRefresh_ >= interval;
  if (!wanted || (lastOnline_ && now - *lastOnline_ < OnlineSpacing)) return false;
  lastOnline_ = now;
  return true;
}

}  // namespace quarlen
