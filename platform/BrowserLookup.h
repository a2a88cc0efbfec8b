#pragma once
// Finding the program that opens URLs.
#include <optional>
#include <string>

namespace quarlen {

// The browser command from the registry's "http\shell\open\command" default
// value: nullopt (the key can't be opened) gives "iexplore"; otherwise the
// value lower-cased (A to Z only), without any double or single quotes, and
// cut right after the first ".exe" when it has one.
std::string BrowserPathFromRegistryValue(const std::optional<std::string>& value);

// The Linux lookup: "xdg-open" found on the search path, else "x-www-browser",
// else the empty text. searchPath is a PATH-style list of folders.
std::string FindBrowserOnPath(const std::string& searchPath);

// This machine's browser: FindBrowserOnPath of $PATH (else "/usr/bin:/bin") on
// Linux; on Windows the rule above applied to the default value of the
// registry key HKEY_CLASSES_ROOT "http\shell\open\command".
std::string SystemBrowserPath();

// Starts program with url as its one parameter and does not wait for it (the
// shell's "open" verb on Windows). False when it could not be started.
bool OpenUrlWith(const std::string& program, const std::string& url);

}  // namespace quarlen
