#include "platform/ui/QtUiThread.h"

#include <QMetaObject>
#include <utility>

namespace quarlen {

void QtUiThread::Post(std::function<void()> task) {
  // A queued call into the receiver's thread; Qt copies the functor across,
  // and the event loop runs it on its next turn, in the order posted.
  QMetaObject::invokeMethod(
      &context_, [this, task = std::move(task)] { run_.Run(task); }, Qt::QueuedConnection);
}

}  // namespace quarlen
