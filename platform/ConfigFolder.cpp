#include "platform/ConfigFolder.h"

#include <cstdlib>
#include <filesystem>
#include <system_error>

#include "platform/FileSystem.h"

namespace quarlen {

std::optional<std::string> ProcessEnv(const std::string& name) {
  const char* value = std::getenv(name.c_str());
  if (value == nullptr) return std::nullopt;
  return std::string(value);
}

namespace {
std::string WithoutTrailingSlashes(std::string path) {
  while (path.size() > 1 && path.back() == '/') path.pop_back();
  return path;
}
}  // namespace

std::string ApplicationDataFolder(const EnvLookup& env) {
  // The XDG base-directory rules ignore a relative XDG_CONFIG_HOME.
  if (auto xdg = env("XDG_CONFIG_HOME"); xdg && !xdg->empty() && xdg->front() == '/') {
    return WithoutTrailingSlashes(*xdg);
  }
  if (auto home = env("HOME"); home && !home->empty()) {
    return WithoutTrailingSlashes(*home) + "/.config";
  }
  return {};
}

std::string ConfigFolderPath(const std::string& applicationDataFolder) {
  return applicationDataFolder + "/QuarlenMessenger/";
}

bool EnsureFolderExists(const std::string& folder) {
  if (PathExists(folder)) return IsFolder(folder);
  // One level only: a missing parent is a failure, as the folder check expects.
  return MakeFolder(folder);
}

bool EnsureApplicationDataFolder(const std::string& folder) {
  if (folder.empty()) return false;
  std::error_code error;
  std::filesystem::create_directories(folder, error);
  return std::filesystem::is_directory(folder, error);
}

}  // namespace quarlen
