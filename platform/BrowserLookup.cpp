#include "platform/BrowserLookup.h"

#include <unistd.h>

#include <string_view>

#include "platform/AsciiText.h"

namespace quarlen {

std::string BrowserPathFromRegistryValue(const std::optional<std::string>& value) {
  if (!value) return "iexplore";
  std::string text;
  text.reserve(value->size());
  for (char c : *value) {
    if (c == '"' || c == '\'') continue;
    // Only A to Z: the registry text is single-byte and other letters stay as they are.
    text.push_back(AsciiLower(c));
  }
  // Lower-casing comes first, so ".EXE" is found as ".exe".
  if (auto at = text.find(".exe"); at != std::string::npos) text.resize(at + 4);
  return text;
}

namespace {
std::string FindExecutable(std::string_view searchPath, std::string_view name) {
  while (true) {
    auto colon = searchPath.find(':');
    std::string_view folder = searchPath.substr(0, colon);
    if (!folder.empty()) {
      std::string candidate = std::string(folder) + "/" + std::string(name);
      if (::access(candidate.c_str(), X_OK) == 0) return candidate;
    }
    if (colon == std::string_view::npos) return {};
    searchPath.remove_prefix(colon + 1);
  }
}
}  // namespace

std::string FindBrowserOnPath(const std::string& searchPath) {
  for (const char* name : {"xdg-open", "x-www-browser"}) {
    if (auto found = FindExecutable(searchPath, name); !found.empty()) return found;
  }
  return {};
}

}  // namespace quarlen
