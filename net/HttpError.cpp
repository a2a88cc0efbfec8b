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

}  // namespace quarlen
