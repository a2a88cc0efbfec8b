#pragma once
// Where the program keeps its files: the per-user application-data folder and
// the configuration folder inside it that holds the list files.
#include <functional>
#include <optional>
#include <string>

namespace quarlen {

// Looks up an environment variable; nullopt when it is not set.
using EnvLookup = std::function<std::optional<std::string>(const std::string&)>;

// The process environment, for production use.
std::optional<std::string> ProcessEnv(const std::string& name);

// The per-user application-data folder without a trailing slash:
// $XDG_CONFIG_HOME when set to an absolute path, else $HOME/.config; the empty
// text when neither can be found. The settings files lie directly in it.
std::string ApplicationDataFolder(const EnvLookup& env);

// This machine's application-data folder: the rule above on Linux; on Windows
// the shell's special folder 26 (the user's roaming application data), the
// empty text when the shell can't resolve it.
std::string SystemApplicationDataFolder();

// The configuration folder: the application-data folder followed by
// "/QuarlenMessenger/" (with the trailing slash).
std::string ConfigFolderPath(const std::string& applicationDataFolder);

// Makes sure the folder exists, creating one level (its parent is not created).
// Returns false when it is missing and can't be created.
bool EnsureFolderExists(const std::string& folder);

// Creates the application-data folder with all its missing parents, as the XDG
// rules ask of a program that writes there (a new user may have no ~/.config).
// Returns false when it can't be made.
bool EnsureApplicationDataFolder(const std::string& folder);

}  // namespace quarlen
