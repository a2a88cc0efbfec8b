#pragma once
// The window's reload timer of the active channel, as the channel tabs see it.
#include "feeds/ChannelTabs.h"

class QTimer;

namespace quarlen {

class ChannelTimer : public IChannelTimer {
 public:
  explicit ChannelTimer(QTimer& timer) : timer_(timer) {}
  void Start(int intervalMs) override;
  void Stop() override;

 private:
  QTimer& timer_;
};

}  // namespace quarlen
