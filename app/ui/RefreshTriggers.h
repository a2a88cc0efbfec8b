#pragma once
// Starts refreshes beyond the refresh timer's ticks: a retry after a refresh
// whose ping found no connection, at once when a banner or channel ping finds
// the server again, after a wake from sleep that left a refresh due, and when
// the system reports itself online (where Qt has a backend for that).
#include <QObject>
#include <QTimer>
#include <functional>

#include "feeds/RefreshRetry.h"
#include "platform/SleepClock.h"
#include "platform/UiPorts.h"
#include "service/PingCall.h"

namespace quarlen {

class RefreshCycle;

class RefreshTriggers : public QObject {
 public:
  // cycle, refreshTimer (`timerFetchRSS`, whose interval is the refresh
  // interval) and runner are borrowed and outlive this. Registers itself as
  // the cycle's reach observer.
  RefreshTriggers(RefreshCycle& cycle, QTimer& refreshTimer, ICommandRunner& runner, QObject* parent = nullptr);
  ~RefreshTriggers() override;
  RefreshTriggers(const RefreshTriggers&) = delete;
  RefreshTriggers& operator=(const RefreshTriggers&) = delete;

  // The same ping, with its answers seen: one that finds the server while a
  // retry waits starts the refresh at once.
  PingCall Watch(PingCall ping);

 private:
  void OnReach(bool reached);
  void Refresh();
  RefreshRetry::Ms Interval() const;
  void LookForWake();
  void OnOnline();

  RefreshCycle& cycle_;
  QTimer& refreshTimer_;
  ICommandRunner& runner_;
  RefreshRetry retry_;
  SleepClock clock_;
  QTimer retryTimer_;
  QTimer wakeTimer_;
};

}  // namespace quarlen
