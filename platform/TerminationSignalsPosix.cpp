#include "platform/TerminationSignals.h"

#include <fcntl.h>
#include <signal.h>
#include <unistd.h>

#include <cerrno>
#include <system_error>

namespace quarlen {

namespace {
// A signal handler can only reach a plain global; there is one pipe per process.
volatile sig_atomic_t writeFd = -1;

void OnSignal(int signal) {
  const int savedErrno = errno;
  const unsigned char byte = static_cast<unsigned char>(signal);
  if (writeFd >= 0) [[maybe_unused]]
    auto n = ::write(writeFd, &byte, 1);
  errno = savedErrno;
}
}  // namespace

TerminationSignals::TerminationSignals() {
  if (::pipe2(fds_, O_CLOEXEC | O_NONBLOCK) != 0) {
    throw std::system_error(errno, std::generic_category(), "pipe2");
  }
  writeFd = fds_[1];
  struct sigaction action {};
  action.sa_handler = OnSignal;
  sigemptyset(&action.sa_mask);
  action.sa_flags = SA_RESTART;
  ::sigaction(SIGTERM, &action, nullptr);
  ::sigaction(SIGINT, &action, nullptr);
}

TerminationSignals::~TerminationSignals() {
  struct sigaction action {};
  action.sa_handler = SIG_DFL;
  ::sigaction(SIGTERM, &action, nullptr);
  ::sigaction(SIGINT, &action, nullptr);
  writeFd = -1;
  ::close(fds_[0]);
  ::close(fds_[1]);
}

int TerminationSignals::Drain() {
  int last = 0;
  unsigned char buffer[16];
  ssize_t n;
  while ((n = ::read(fds_[0], buffer, sizeof buffer)) > 0) last = buffer[n - 1];
  return last;
}

}  // namespace quarlen
