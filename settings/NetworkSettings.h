#pragma once
// The proxy settings file: its name, its six keys, and reading and writing them.
#include <string>

#include "net/HttpProfile.h"

namespace quarlen {

class SettingsStore;

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

}  // namespace quarlen
