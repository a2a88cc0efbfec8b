#pragma once
// How the embedded browser engine is started so that it stays light: software
// drawing, one renderer process, no helper process the program has no use for.
#include <QByteArray>

namespace quarlen {

// The engine's flags: flags as given, then what keeps the engine light, each
// unless flags already names it: no GPU thread (the pages draw in software),
// one renderer process for the banner and every channel, and, only where the
// sandbox is off (--no-sandbox), no zygote processes.
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

}  // namespace quarlen
