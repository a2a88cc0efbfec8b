#pragma once
// How the embedded browser engine is started: its command-line flags, the
// toolkit's logging rules for its messages, and the settings that keep it light
// (software drawing, one renderer process, no helper process it has no use for).
#include <QByteArray>
#include <QString>

namespace quarlen {

// The environment variable that turns the engine's log on ("1").
inline constexpr char EngineLogVariable[] = "QUARLEN_ENGINE_LOG";

// The engine's flags: the user's own (QTWEBENGINE_CHROMIUM_FLAGS) first, then
// --no-sandbox for root (the sandbox refuses to start for root) and, unless
// engineLog, the flags that keep its log off the terminal.
QByteArray BrowserEngineFlags(const QByteArray& userFlags, bool root, bool engineLog);

// flags, then what keeps the engine light, each unless flags already names it:
// no GPU thread (the pages draw in software), one renderer process for the
// banner and every channel, no private copy of the script engine's built-in
// functions (unless the user's --js-flags), and, only where the sandbox is off
// (--no-sandbox), no zygote processes.
QByteArray LeanEngineFlags(const QByteArray& flags);

// The toolkit's settings for software drawing of the engine's views, each as
// name and value; the program sets those the user's environment leaves unset.
struct ToolkitSetting {
  const char* name;
  const char* value;
};
inline constexpr ToolkitSetting SoftwareDrawing[] = {
    {"QT_XCB_GL_INTEGRATION", "none"},  // no OpenGL libraries loaded into the process
    {"QT_QUICK_BACKEND", "software"},   // the engine's views are Qt Quick items
};

// Sets every SoftwareDrawing variable the environment leaves unset; before the QApplication.
void UseSoftwareDrawing();

// True for the toolkit's notes that it found no OpenGL, which software drawing
// makes on purpose at every start.
bool IsSoftwareDrawingNote(const QString& message);

// Drops the toolkit's messages of the engine and of page scripts, and its
// software-drawing notes, unless engineLog.
void SetBrowserEngineLogRules(bool engineLog);

}  // namespace quarlen
