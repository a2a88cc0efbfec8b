#pragma once
// The one HTTP client profile that every request applies right before it goes
// out (`ApplyHttpProfile`): the agent string and the proxy settings.
#include <string>

namespace quarlen {

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

// "Quarlen Messenger " + version + " " + the operating-system description.
std::string MakeUserAgent(const std::string& programVersion, const std::string& osDescription);

// Prepares client for its next request: agent := userAgent; the proxy is reset
// and, when "Use Proxy" is on, set from the settings (user name and password are
// copied even with authentication off; they are then not sent). A proxy with an
// empty host name means a direct connection. Never fails.
void ApplyHttpProfile(THttpClient& client, const std::string& userAgent, const ProxySettings& settings);
void ApplyHttpProfile(THttpClient& client, const std::string& userAgent, const INetworkSettings& settings);

}  // namespace quarlen
