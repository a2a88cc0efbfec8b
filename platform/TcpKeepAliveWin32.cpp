#include <winsock2.h>
// mstcpip.h needs winsock2.h first.
#include <mstcpip.h>

#include "platform/TcpKeepAlive.h"

namespace quarlen {

void SetKeepAliveTimings(int socketHandle, int idleSeconds, int intervalSeconds, int probes) {
  // Windows takes the idle time and the interval in milliseconds; the number
  // of probes is the system's own (ten).
  (void)probes;
  tcp_keepalive timings{};
  timings.onoff = 1;
  timings.keepalivetime = static_cast<ULONG>(idleSeconds) * 1000;
  timings.keepaliveinterval = static_cast<ULONG>(intervalSeconds) * 1000;
  DWORD returned = 0;
  ::WSAIoctl(static_cast<SOCKET>(socketHandle), SIO_KEEPALIVE_VALS, &timings, sizeof timings, nullptr, 0, &returned,
             nullptr, nullptr);
}

}  // namespace quarlen
