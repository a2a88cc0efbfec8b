#pragma once
// The error every HTTP request raises; what() is the text the user sees.
#include <exception>
#include <stdexcept>
#include <string>

namespace quarlen {

class HttpError : public std::runtime_error {
 public:
  using std::runtime_error::runtime_error;
};

// A request that did not complete within its whole-transfer deadline.
class HttpDeadlineError : public HttpError {
 public:
  using HttpError::HttpError;
};

// A request that made no connection at all: the name lookup failed, every
// address refused or dropped it, or the connect limit ran out. The host is
// not there for now, as opposed to one that answered badly.
class HttpConnectError : public HttpError {
 public:
  using HttpError::HttpError;
};

// True when failure is an HttpConnectError.
bool IsConnectFailure(const std::exception_ptr& failure);

// The user's text of the failure a request ended with: what() of any
// exception, "Unknown error." for anything else; empty for no failure.
std::string FailureText(const std::exception_ptr& failure);

}  // namespace quarlen
