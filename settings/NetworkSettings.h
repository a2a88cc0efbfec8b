#pragma once
// The proxy settings, their file, and the one HTTP client profile that every
// request applies right before it goes out (`ApplyHttpProfile`).
#include <string>

namespace quarlen {

class SettingsStore;
class THttpClient;

// The six network settings, as the dialog's controls hold them.
struct ProxySettings {
  bool useProxy = false;
  bool useProxyAuthentication = false;
  std::string hostname;
  int port = 0;
  std::string username;
  std::string password;

  bool operator==(const ProxySettings&) const = default;
};

// The live network settings: the network settings dialog implements this from
// its controls, so a request started while the dialog is open uses the edits.
class INetworkSettings {
 public:
  virtual ~INetworkSettings() = default;
  virtual ProxySettings CurrentProxySettings() const = 0;
};

namespace NetworkSettings {
inline constexpr const char* FileName = "KVTNetworkSettings.xml";
inline constexpr const char* UseProxyKey = "UseProxy";
inline constexpr const char* UseProxyAuthenticationKey = "UseProxyAuthentication";
inline constexpr const char* HostnameKey = "Hostname";
inline constexpr const char* PortKey = "Port";
inline constexpr const char* UsernameKey = "Username";
inline constexpr const char* PasswordKey = "Password";
}  // namespace NetworkSettings

// Reads the six keys in file order, each with its default (off, off, "", 0, "", "").
// Throws SettingsStoreError when the file cannot be read.
ProxySettings LoadNetworkSettings(SettingsStore& store);
// Writes the six keys in the same order, texts exactly as given.
// Throws SettingsStoreError when the file cannot be written.
void SaveNetworkSettings(SettingsStore& store, const ProxySettings& settings);

// "Quarlen Messenger " + version + " " + the operating-system description.
std::string MakeUserAgent(const std::string& programVersion, const std::string& osDescription);

// Prepares client for its next request: agent := userAgent; the proxy is reset
// and, when "Use Proxy" is on, set from the settings (user name and password are
// copied even with authentication off; they are then not sent). A proxy with an
// empty host name means a direct connection. Never fails.
void ApplyHttpProfile(THttpClient& client, const std::string& userAgent, const ProxySettings& settings);
void ApplyHttpProfile(THttpClient& client, const std::string& userAgent, const INetworkSettings& settings);

}  // namespace quarlen
