#include "feeds/ui/ChannelTimer.h"

#include <QTimer>

namespace quarlen {

// start() restarts the count even when the timer already runs at that interval.
void ChannelTimer::Start(int intervalMs) { timer_.start(intervalMs); }

void ChannelTimer::Stop() { timer_.stop(); }

}  // namespace quarlen
