#include "platform/ui/TimerInterval.h"

namespace quarlen {

void TimerInterval::SetRefreshInterval(int milliseconds) {
  // QTimer::setInterval restarts a running timer even for the same interval;
  // an unchanged setting must leave the running countdown alone.
  if (timer_.interval() != milliseconds) timer_.setInterval(milliseconds);
}

}  // namespace quarlen
