#pragma once
// IUiThread on Qt's own event loop: a posted task is a queued call that runs
// through the command runner, so what it throws reaches the error box.
#include <QObject>
#include <functional>

#include "platform/UiPorts.h"

namespace quarlen {

class QtUiThread : public IUiThread {
 public:
  // run must outlive this object; the object lives on the thread that makes it.
  explicit QtUiThread(ICommandRunner& run) : run_(run) {}

  // Queues task for the UI thread; tasks still queued when this object goes are dropped.
  void Post(std::function<void()> task) override;

 private:
  ICommandRunner& run_;
  QObject context_;  // the queued calls' receiver: they die with it
};

}  // namespace quarlen
