#include "platform/TerminationSignals.h"

#include <gtest/gtest.h>
#include <poll.h>
#include <signal.h>

namespace quarlen {
namespace {

TEST(TerminationSignals, TurnEachSignalIntoAReadablePipe) {
  TerminationSignals signals;
  for (int signal : {SIGTERM, SIGINT}) {
    ::raise(signal);  // would end the test process without the handler
    pollfd fd{signals.ReadFd(), POLLIN, 0};
    ASSERT_EQ(::poll(&fd, 1, 1000), 1);
    EXPECT_EQ(signals.Drain(), signal);
    EXPECT_EQ(signals.Drain(), 0);
  }
}

}  // namespace
}  // namespace quarlen
