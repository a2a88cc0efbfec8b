#include "net/HttpProfile.h"

#include "net/HttpClient.h"

namespace quarlen {

std::string MakeUserAgent(const std::string& programVersion, const std::string& osDescription) {
  return "Quarlen Messenger " + programVersion + " " + osDescription;
}

void ApplyHttpProfile(THttpClient& client, const std::string& userAgent, const ProxySettings& settings) {
  client.SetUserAgent(userAgent);
  client.ResetProxy();
  if (!settings.useProxy) return;
  client.SetProxy(
      {settings.hostname, settings.port, settings.useProxyAuthentication, settings.username, settings.password});
}

void ApplyHttpProfile(THttpClient& client, const std::string& userAgent, const INetworkSettings& settings) {
  ApplyHttpProfile(client, userAgent, settings.CurrentProxySettings());
}

}  // namespace quarlen
