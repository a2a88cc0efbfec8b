#pragma once
// Setting and removing environment variables in tests, on every system.
#include <cstdlib>
#include <optional>
#include <string>

namespace quarlen::test {

inline void SetEnv(const char* name, const std::optional<std::string>& value) {
#ifdef _WIN32
  ::_putenv_s(name, value ? value->c_str() : "");
#else
  if (value) {
    ::setenv(name, value->c_str(), 1);
  } else {
    ::unsetenv(name);
  }
#endif
}

}  // namespace quarlen::test
