#pragma once
// Turns SIGTERM and SIGINT into a readable file descriptor, so the event loop
// can end the program the ordinary way instead of inside a signal handler.

namespace quarlen {

class TerminationSignals {
 public:
  // Installs the handlers; throws std::system_error when the pipe can't be made.
  TerminationSignals();
  ~TerminationSignals();
  TerminationSignals(const TerminationSignals&) = delete;
  TerminationSignals& operator=(const TerminationSignals&) = delete;

  // Becomes readable when a signal arrived.
  int ReadFd() const { return fds_[0]; }
  // Empties the pipe; returns the last signal number read, or 0.
  int Drain();

 private:
  int fds_[2] = {-1, -1};
};

}  // namespace quarlen
