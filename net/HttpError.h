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

// The user's text of the failure a request ended with: what() of any
// exception, "Unknown error." for anything else; empty for no failure.
std::string FailureText(const std::exception_ptr& failure);

}  // namespace quarlen
