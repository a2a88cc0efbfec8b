#include <windows.h>

#include "platform/OsDescription.h"
#include "platform/WideText.h"

namespace quarlen {

bool SystemWindowsVersionQuery(WindowsVersionRecord& record) {
  OSVERSIONINFOEXW info{};
  const bool extended = record.size == WindowsVersionRecord::ExtendedSize;
  info.dwOSVersionInfoSize = extended ? sizeof(OSVERSIONINFOEXW) : sizeof(OSVERSIONINFOW);
  // The version query is deprecated but it is the one whose answer the description's rules are written for.
#pragma GCC diagnostic push
#pragma GCC diagnostic ignored "-Wdeprecated-declarations"
  if (!::GetVersionExW(reinterpret_cast<OSVERSIONINFOW*>(&info))) return false;
#pragma GCC diagnostic pop
  record.majorVersion = info.dwMajorVersion;
  record.minorVersion = info.dwMinorVersion;
  record.buildNumber = info.dwBuildNumber;
  record.platformId = info.dwPlatformId;
  record.servicePack = Utf8FromWide(info.szCSDVersion);
  if (extended) {
    record.servicePackMajor = info.wServicePackMajor;
    record.servicePackMinor = info.wServicePackMinor;
    record.suiteMask = info.wSuiteMask;
    record.productType = info.wProductType;
  }
  return true;
}

std::string DescribeOperatingSystem() {
  return DescribeOperatingSystem(QueryWindowsVersion(SystemWindowsVersionQuery), [] {
    HKEY key = nullptr;
    if (::RegOpenKeyExW(HKEY_LOCAL_MACHINE, L"SOFTWARE\\Microsoft\\Windows NT\\CurrentVersion\\Hotfix\\Q246009", 0,
                        KEY_QUERY_VALUE, &key) != ERROR_SUCCESS) {
      return false;
    }
    ::RegCloseKey(key);
    return true;
  });
}

}  // namespace quarlen
