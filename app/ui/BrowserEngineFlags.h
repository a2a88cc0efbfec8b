#pragma once
// How the embedded browser engine is started: its command-line flags and the
// toolkit's logging rules for its messages.
#include <QByteArray>

namespace quarlen {

// The environment variable that turns the engine's log on ("1").
inline constexpr char EngineLogVariable[] = "QUARLEN_ENGINE_LOG";

// The engine's flags: the user's own (QTWEBENGINE_CHROMIUM_FLAGS) first, then
// --no-sandbox for root (the sandbox refuses to start for root) and, unless
// engineLog, the flags that keep its log off the terminal.
QByteArray BrowserEngineFlags(const QByteArray& userFlags, bool root, bool engineLog);

// Drops the toolkit's messages of the engine and of page scripts, unless engineLog.
void SetBrowserEngineLogRules(bool engineLog);

}  // namespace quarlen
