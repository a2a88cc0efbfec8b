#include "net/HttpError.h"

namespace quarlen {

std::string FailureText(const std::exception_ptr& failure) {
  if (!failure) return {};
  try {
    std::rethrow_exception(failure);
  } catch (const std::exception& e) {
    return e.what();
  } catch (...) {
    return "Unknown error.";
  }
}

bool IsConnectFailure(const std::exception_ptr& failure) {
  if (!failure) return false;
  try {
    std::rethrow_exception(failure);
  } catch (const HttpConnectError&) {
    return true;
  } catch (...) {
    return false;
  }
}

}  // namespace quarlen
