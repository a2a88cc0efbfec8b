#include "settings/NetworkSettings.h"

#include "settings/SettingsStore.h"

namespace quarlen {

using namespace NetworkSettings;

ProxySettings LoadNetworkSettings(SettingsStore& store) {
  ProxySettings settings;
  settings.useProxy = store.ReadBool(UseProxyKey, false);
  settings.useProxyAuthentication = store.ReadBool(UseProxyAuthenticationKey, false);
  settings.hostname = store.ReadString(HostnameKey, "");
  settings.port = store.ReadInteger(PortKey, 0);
  settings.username = store.ReadString(UsernameKey, "");
  settings.password = store.ReadString(PasswordKey, "");
  return settings;
}

void SaveNetworkSettings(SettingsStore& store, const ProxySettings& settings) {
  store.WriteBool(UseProxyKey, settings.useProxy);
  store.WriteBool(UseProxyAuthenticationKey, settings.useProxyAuthentication);
  store.WriteString(HostnameKey, settings.hostname);
  store.WriteInteger(PortKey, settings.port);
  store.WriteString(UsernameKey, settings.username);
  store.WriteString(PasswordKey, settings.password);
}

}  // namespace quarlen
