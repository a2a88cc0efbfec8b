#pragma once
// The keep-alive probe timings of a TCP socket, which have no portable socket
// option: where the system lacks them the socket keeps the system's timings.
namespace quarlen {

// Probes an idle connection after idleSeconds, then every intervalSeconds,
// and gives up after probes unanswered ones. Failures are ignored.
void SetKeepAliveTimings(int socketHandle, int idleSeconds, int intervalSeconds, int probes);

}  // namespace quarlen
