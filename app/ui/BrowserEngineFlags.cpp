#include "app/ui/BrowserEngineFlags.h"

#include <QList>
#include <QLoggingCategory>

namespace quarlen {

namespace {
bool HasFlag(const QByteArray& flags, const QByteArray& name) {
  for (const QByteArray& flag : flags.split(' ')) {
    if (flag == name || flag.startsWith(name + '=')) return true;
  }
  return false;
}
}  // namespace

QByteArray BrowserEngineFlags(const QByteArray& userFlags, bool root, bool engineLog) {
  QByteArray flags = userFlags.trimmed();
  const auto add = [&flags](const QByteArray& flag) {
    if (HasFlag(flags, flag.split('=').first())) return;  // the user's choice stands
    if (!flags.isEmpty()) flags += ' ';
    flags += flag;
  };
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

void SetBrowserEngineLogRules(bool engineLog) {
  if (engineLog) return;
  // Page scripts' console and the engine's own categories.
  QLoggingCategory::setFilterRules(QStringLiteral("js.*=false\njs=false\nqt.webengine*=false"));
}

}  // namespace quarlen
