#include "app/ui/BrowserEngineFlags.h"

#include <QList>
#include <QLoggingCategory>
#include <QtGlobal>

namespace quarlen {

namespace {
bool HasFlag(const QByteArray& flags, const QByteArray& name) {
  for (const QByteArray& flag : flags.split(' ')) {
    if (flag == name || flag.startsWith(name + '=')) return true;
  }
  return false;
}

void AddFlag(QByteArray& flags, const QByteArray& flag) {
  if (HasFlag(flags, flag.split('=').first())) return;  // the user's choice stands
  if (!flags.isEmpty()) flags += ' ';
  flags += flag;
}
}  // namespace

QByteArray BrowserEngineFlags(const QByteArray& userFlags, bool root, bool engineLog) {
  QByteArray flags = userFlags.trimmed();
  const auto add = [&flags](const QByteArray& flag) { AddFlag(flags, flag); };
  // Without this the program would abort at its first banner when run as root.
  if (root) add("--no-sandbox");
  // A desktop program prints nothing unless asked: the engine would otherwise
  // write its GPU and settings chatter to the terminal at every start.
  if (!engineLog) {
    if (!HasFlag(flags, "--enable-logging")) add("--disable-logging");
    add("--log-level=3");
  }
  return flags;
}

QByteArray LeanEngineFlags(const QByteArray& flags) {
  QByteArray lean = flags.trimmed();
  // The pages are a banner strip and one channel page: software drawing shows
  // them the same, and keeps Mesa's OpenGL (its LLVM alone is some 50 MiB)
  // out of the process.
  AddFlag(lean, "--disable-gpu");
  // The banner and the channels show pages of the same servers; a renderer
  // process each would cost some 35 MiB for no gain.
  AddFlag(lean, "--renderer-process-limit=1");
  // V8 copies its built-in functions (1.4 MiB) into every isolate's code
  // range so compiled script can call them with short jumps; the pages'
  // scripts are small and the copy is memory held for nothing.
  AddFlag(lean, "--js-flags=--no-short-builtin-calls");
  // Without the sandbox the renderer starts straight from the browser
  // process; the two waiting zygote processes would hold some 17 MiB for
  // nothing. With the sandbox the zygote is what sandboxes the renderer.
  if (HasFlag(lean, "--no-sandbox")) AddFlag(lean, "--no-zygote");
  return lean;
}

void UseSoftwareDrawing() {
  for (const ToolkitSetting& setting : SoftwareDrawing) {
    if (qEnvironmentVariableIsEmpty(setting.name)) qputenv(setting.name, setting.value);
  }
}

bool IsSoftwareDrawingNote(const QString& message) {
  return message.startsWith(QLatin1String("QXcbIntegration: Cannot create platform OpenGL context")) ||
         message.trimmed() == QLatin1String("No suitable graphics backend found");
}

namespace {
// qInstallMessageHandler takes a plain function, so the handler it replaced
// has to live at file scope; it is set once, before the application exists.
QtMessageHandler forwardedHandler = nullptr;

void DropSoftwareDrawingNotes(QtMsgType type, const QMessageLogContext& context, const QString& message) {
  if (type == QtWarningMsg && IsSoftwareDrawingNote(message)) return;
  if (forwardedHandler) forwardedHandler(type, context, message);
}
}  // namespace

void SetBrowserEngineLogRules(bool engineLog) {
  if (engineLog) return;
  // Both notes come in the default category, which must stay on for every
  // other warning, so they are dropped by their text.
  forwardedHandler = qInstallMessageHandler(DropSoftwareDrawingNotes);
  // Page scripts' console, the engine's own categories, and the toolkit's note
  // that it has no OpenGL (the program draws in software on purpose).
  QLoggingCategory::setFilterRules(QStringLiteral("js.*=false\njs=false\nqt.webengine*=false\nqt.qpa.gl=false"));
}

}  // namespace quarlen
