#include "app/ui/RefreshTriggers.h"

#include <QNetworkInformation>
#include <utility>

#include "feeds/RefreshCycle.h"

namespace quarlen {

namespace {
// How often the clocks are compared: a refresh due during a sleep runs within
// this of waking. Two clock reads every few seconds cost nothing.
constexpr int WakePollMs = 4000;
}  // namespace

RefreshTriggers::RefreshTriggers(RefreshCycle& cycle, QTimer& refreshTimer, ICommandRunner& runner, QObject* parent)
    : QObject(parent), cycle_(cycle), refreshTimer_(refreshTimer), runner_(runner) {
  cycle_.SetReachObserver([this](bool reached) { OnReach(reached); });

  retryTimer_.setSingleShot(true);
  // A coarse timer may fire up to 5 % early, before the retry is due.
  retryTimer_.setTimerType(Qt::PreciseTimer);
  connect(&retryTimer_, &QTimer::timeout, this, [this] {
    runner_.Run([this] {
      if (retry_.RetryDue(clock_.Now())) Refresh();
    });
  });
  // A QTimer runs on the monotonic clock, which stands still while the
  // machine sleeps: the refresh timer fires a whole interval after waking.
  connect(&wakeTimer_, &QTimer::timeout, this, [this] { runner_.Run([this] { LookForWake(); }); });
  wakeTimer_.start(WakePollMs);

  // Where Qt has no backend (no NetworkManager, say) nothing is loaded and
  // the retries above do the work alone.
  if (QNetworkInformation::loadDefaultBackend() && QNetworkInformation::instance()) {
    connect(QNetworkInformation::instance(), &QNetworkInformation::reachabilityChanged, this,
            [this](QNetworkInformation::Reachability reachability) {
              if (reachability == QNetworkInformation::Reachability::Online) runner_.Run([this] { OnOnline(); });
            });
  }
}

RefreshTriggers::~RefreshTriggers() { cycle_.SetReachObserver(nullptr); }

PingCall RefreshTriggers::Watch(PingCall ping) {
  return [this, ping = std::move(ping)](PingDone done) {
    ping([this, done = std::move(done)](bool answered) {
      if (done) done(answered);
      // After the caller's own step: the refresh pings again, on its own.
      if (answered && retry_.PingAnswered()) Refresh();
    });
  };
}

RefreshRetry::Ms RefreshTriggers::Interval() const { return RefreshRetry::Ms(refreshTimer_.interval()); }

void RefreshTriggers::OnReach(bool reached) {
  if (reached) {
    retry_.Reached(clock_.Now());
    retryTimer_.stop();
    return;
  }
  if (const auto delay = retry_.Unreachable(clock_.Now(), Interval()))
    retryTimer_.start(static_cast<int>(delay->count()));
  else
    retryTimer_.stop();
}

void RefreshTriggers::Refresh() {
  retryTimer_.stop();
  // The refresh timer counts its interval from this refresh, so it does not
  // ping again right behind it.
  if (refreshTimer_.isActive()) refreshTimer_.start();
  cycle_.FetchRSS();
}

void RefreshTriggers::LookForWake() {
  if (clock_.Slept() && retry_.Woke(clock_.Now(), Interval())) Refresh();
}

void RefreshTriggers::OnOnline() {
  if (retry_.Online(clock_.Now(), Interval())) Refresh();
}

}  // namespace quarlen
