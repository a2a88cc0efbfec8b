#pragma once
// The operating-system description that the agent string carries: the Windows
// rules as pure functions of a version record, and this machine's description.
#include <cstdint>
#include <functional>
#include <optional>
#include <string>

namespace quarlen {

// The Windows version record (the extended record, of which the basic one is
// the first part). Only the low 16 bits of the build number count.
struct WindowsVersionRecord {
  static constexpr std::uint32_t ExtendedSize = 156;
  static constexpr std::uint32_t BasicSize = 148;

  std::uint32_t size = 0;  // ExtendedSize or BasicSize: which record the query filled
  std::uint32_t majorVersion = 0;
  std::uint32_t minorVersion = 0;
  std::uint32_t buildNumber = 0;
  std::uint32_t platformId = 0;  // 0 Win32s, 1 the Windows 95 family, 2 NT
  std::string servicePack;       // at most 128 characters
  std::uint16_t servicePackMajor = 0;
  std::uint16_t servicePackMinor = 0;
  std::uint16_t suiteMask = 0;   // extended record only
  std::uint8_t productType = 0;  // extended record only: 1 workstation, 2 domain controller, 3 server
};

// The platform's version query: fills the record whose size field says which
// one is asked for; false when the query fails.
using WindowsVersionQuery = std::function<bool(WindowsVersionRecord&)>;

// Asks for the extended record first, then for the basic one; nullopt when both fail.
std::optional<WindowsVersionRecord> QueryWindowsVersion(const WindowsVersionQuery& query);

// The description, for example "Microsoft Windows XP Professional Service Pack 2
// (Build 2600)"; empty without a record or for an unknown platform.
// hotfixKeyOpens tells whether the Q246009 hotfix key can be opened; it is asked
// only for NT 4.0 with "Service Pack 6".
std::string DescribeOperatingSystem(const std::optional<WindowsVersionRecord>& record,
                                    const std::function<bool()>& hotfixKeyOpens);

// A Linux description from the text of os-release and the kernel release:
// PRETTY_NAME (else NAME, else "Linux"), then " (Kernel " release ")". Control
// characters become spaces, so the text is safe in a header line.
std::string DescribeLinux(const std::string& osRelease, const std::string& kernelRelease);

// This machine's description: from /etc/os-release (or /usr/lib/os-release) and
// uname on Linux; on Windows from QueryWindowsVersion of the system's version
// query and the hotfix key of HKEY_LOCAL_MACHINE.
std::string DescribeOperatingSystem();

// The system's version query (GetVersionEx); false everywhere but on Windows.
bool SystemWindowsVersionQuery(WindowsVersionRecord& record);

}  // namespace quarlen
