#pragma once
// IRefreshInterval on a QTimer the caller owns.
#include <QTimer>

#include "platform/UiPorts.h"

namespace quarlen {

class TimerInterval : public IRefreshInterval {
 public:
  // timer must outlive this object.
  explicit TimerInterval(QTimer& timer) : timer_(timer) {}

  // Sets the timer's interval unless it already has it.
  void SetRefreshInterval(int milliseconds) override;

 private:
  QTimer& timer_;
};

}  // namespace quarlen
