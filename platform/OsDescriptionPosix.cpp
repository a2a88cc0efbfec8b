#include <sys/utsname.h>

#include <optional>
#include <system_error>

#include "platform/FileSystem.h"
#include "platform/OsDescription.h"

namespace quarlen {

std::string DescribeOperatingSystem() {
  std::string osRelease;
  for (const char* path : {"/etc/os-release", "/usr/lib/os-release"}) {
    try {
      osRelease = ReadWholeFileIfPresent(path).value_or("");
    } catch (const std::system_error&) {
      // An unreadable file describes nothing; the next one may.
    }
    if (!osRelease.empty()) break;
  }
  utsname system{};
  const std::string kernel = ::uname(&system) == 0 ? system.release : "";
  return DescribeLinux(osRelease, kernel);
}

bool SystemWindowsVersionQuery(WindowsVersionRecord&) { return false; }

}  // namespace quarlen
