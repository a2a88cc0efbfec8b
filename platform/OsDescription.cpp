#include "platform/OsDescription.h"

#include <algorithm>
#include <fstream>
#include <sstream>

#include "platform/AsciiText.h"

namespace quarlen {

namespace {

constexpr std::uint16_t SuiteEnterprise = 0x0002;
constexpr std::uint16_t SuiteDatacenter = 0x0080;
constexpr std::uint16_t SuitePersonal = 0x0200;
constexpr std::uint16_t SuiteBlade = 0x0400;
constexpr std::uint8_t Workstation = 1;
constexpr std::uint8_t Server = 3;

char SecondCharacter(const std::string& text) { return text.size() >= 2 ? text[1] : '\0'; }

std::string Windows95Family(const WindowsVersionRecord& r) {
  if (r.majorVersion == 4 && r.minorVersion == 0) {
    const char c = SecondCharacter(r.servicePack);
    return std::string("Microsoft Windows 95") + (c == 'B' || c == 'C' ? " OSR2" : "");
  }
  if (r.majorVersion == 4 && r.minorVersion == 10) {
    return std::string("Microsoft Windows 98") + (SecondCharacter(r.servicePack) == 'A' ? " SE" : "");
  }
  if (r.majorVersion == 4 && r.minorVersion == 90) return "Microsoft Windows Millennium Edition";
  return {};
}

std::string NtEdition(const WindowsVersionRecord& r) {
  const bool v52 = r.majorVersion == 5 && r.minorVersion == 2;
  const bool v50 = r.majorVersion == 5 && r.minorVersion == 0;
  if (r.productType == Workstation) {
    if (r.majorVersion == 4) return " Workstation 4.0";
    return (r.suiteMask & SuitePersonal) ? " Home Edition" : " Professional";
  }
  if (r.productType != Server) return {};
  if (v52) {
    if (r.suiteMask & SuiteDatacenter) return " Datacenter Edition";
    if (r.suiteMask & SuiteEnterprise) return " Enterprise Edition";
    if (r.suiteMask == SuiteBlade) return " Web Edition";
    return " Standard Edition";
  }
  if (v50) {
    if (r.suiteMask & SuiteDatacenter) return " Datacenter Server";
    if (r.suiteMask & SuiteEnterprise) return " Advanced Server";
    return " Server";
  }
  return " Server " + std::to_string(r.majorVersion) + "." + std::to_string(r.minorVersion) +
         ((r.suiteMask & SuiteEnterprise) ? ", Enterprise Edition" : "");
}

std::string WindowsNt(const WindowsVersionRecord& r, const std::function<bool()>& hotfixKeyOpens) {
  std::string text;
  if (r.majorVersion == 5 && r.minorVersion == 2) {
    text = "Microsoft Windows Server 2003";
  } else if (r.majorVersion == 5 && r.minorVersion == 1) {
    text = "Microsoft Windows XP";
  } else if (r.majorVersion == 5 && r.minorVersion == 0) {
    text = "Microsoft Windows 2000";
  } else {
    text = "Microsoft Windows NT";
  }
  if (r.size == WindowsVersionRecord::ExtendedSize) text += NtEdition(r);

  // Service Pack 6a kept the text of Service Pack 6; only its hotfix key tells them apart.
  if (r.majorVersion == 4 && EqualsIgnoringAsciiCase(r.servicePack, "Service Pack 6") && hotfixKeyOpens &&
      hotfixKeyOpens()) {
    text += " Service Pack 6a";
  } else {
    text += " " + r.servicePack;
  }
  return text + " (Build " + std::to_string(r.buildNumber & 0xFFFF) + ")";
}

// The value of one os-release assignment: shell-like quoting, backslash escapes in double quotes.
std::string Unquote(const std::string& raw) {
  if (raw.empty() || (raw.front() != '"' && raw.front() != '\'')) return raw;
  const char quote = raw.front();
  std::string value;
  for (std::size_t i = 1; i < raw.size(); ++i) {
    const char c = raw[i];
    if (c == quote) break;
    if (quote == '"' && c == '\\' && i + 1 < raw.size()) {
      value += raw[++i];
    } else {
      value += c;
    }
  }
  return value;
}

std::string OsReleaseValue(const std::string& osRelease, const std::string& key) {
  std::istringstream lines(osRelease);
  std::string line;
  while (std::getline(lines, line)) {
    if (!line.empty() && line.back() == '\r') line.pop_back();
    if (line.rfind(key + "=", 0) == 0) return Unquote(line.substr(key.size() + 1));
  }
  return {};
}

}  // namespace

std::optional<WindowsVersionRecord> QueryWindowsVersion(const WindowsVersionQuery& query) {
  for (const std::uint32_t size : {WindowsVersionRecord::ExtendedSize, WindowsVersionRecord::BasicSize}) {
    WindowsVersionRecord record;
    record.size = size;
    if (query && query(record)) {
      record.size = size;
      if (size == WindowsVersionRecord::BasicSize) {
        record.servicePackMajor = record.servicePackMinor = record.suiteMask = 0;
        record.productType = 0;
      }
      return record;
    }
  }
  return std::nullopt;
}

std::string DescribeOperatingSystem(const std::optional<WindowsVersionRecord>& record,
                                    const std::function<bool()>& hotfixKeyOpens) {
  if (!record) return {};
  switch (record->platformId) {
    case 0:
      return "Microsoft Win32s";
    case 1:
      return Windows95Family(*record);
    case 2:
      return WindowsNt(*record, hotfixKeyOpens);
    default:
      return {};
  }
}

std::string DescribeLinux(const std::string& osRelease, const std::string& kernelRelease) {
  std::string name = OsReleaseValue(osRelease, "PRETTY_NAME");
  if (name.empty()) name = OsReleaseValue(osRelease, "NAME");
  if (name.empty()) name = "Linux";
  std::string text = kernelRelease.empty() ? name : name + " (Kernel " + kernelRelease + ")";
  std::replace_if(
      text.begin(), text.end(), [](unsigned char c) { return c < 0x20 || c == 0x7F; }, ' ');
  return text;
}

}  // namespace quarlen
