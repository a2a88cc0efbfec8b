#include "platform/TcpKeepAlive.h"

#include <netinet/in.h>
#include <netinet/tcp.h>
#include <sys/socket.h>

namespace quarlen {

void SetKeepAliveTimings(int socketHandle, int idleSeconds, int intervalSeconds, int probes) {
#if defined(TCP_KEEPIDLE) && defined(TCP_KEEPINTVL) && defined(TCP_KEEPCNT)
  ::setsockopt(socketHandle, IPPROTO_TCP, TCP_KEEPIDLE, &idleSeconds, sizeof idleSeconds);
  ::setsockopt(socketHandle, IPPROTO_TCP, TCP_KEEPINTVL, &intervalSeconds, sizeof intervalSeconds);
  ::setsockopt(socketHandle, IPPROTO_TCP, TCP_KEEPCNT, &probes, sizeof probes);
#else
  (void)socketHandle;
  (void)idleSeconds;
  (void)intervalSeconds;
  (void)probes;
#endif
}

}  // namespace quarlen
