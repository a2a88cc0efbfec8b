#include "app/ui/LeanEngine.h"

#include <QList>
#include <QtGlobal>

namespace quarlen {

namespace {
bool HasFlag(const QByteArray& flags, const QByteArray& name) {
  for (const QByteArray& flag : flags.split(' ')) {
    if (flag == name || flag.startsWith(name + '=')) return true;
  }
  return false;
}
}  // namespace

QByteArray LeanEngineFlags(const QByteArray& flags) {
  QByteArray lean = flags.trimmed();
  const auto add = [&lean](const QByteArray& flag) {
    if (HasFlag(lean, flag.split('=').first())) return;  // the user's choice stands
    if (!lean.isEmpty()) lean += ' ';
    lean += flag;
  };
  // The pages are a banner strip and one channel page: software drawing shows
  // them the same, and keeps Mesa's OpenGL (its LLVM alone is some 50 MiB)
  // out of the process.
  add("--disable-gpu");
  // The banner and the channels show pages of the same servers; a renderer
  // process each would cost some 35 MiB for no gain.
  add("--renderer-process-limit=1");
  // Without the sandbox the renderer starts straight from the browser
  // process; the two waiting zygote processes would hold some 17 MiB for
  // nothing. With the sandbox the zygote is what sandboxes the renderer.
  if (HasFlag(lean, "--no-sandbox")) add("--no-zygote");
  return lean;
}

void UseSoftwareDrawing() {
  for (const ToolkitSetting& setting : SoftwareDrawing) {
    if (qEnvironmentVariableIsEmpty(setting.name)) qputenv(setting.name, setting.value);
  }
}

}  // namespace quarlen
