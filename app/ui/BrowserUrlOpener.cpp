#include "app/ui/BrowserUrlOpener.h"

#include <QProcess>

#include "platform/ui/QtText.h"

namespace quarlen {

void BrowserUrlOpener::OpenUrl(const std::string& url) {
  // Never through a shell: the URL is one argument, whatever it holds.
  if (browserPath_.empty()) return;
  QProcess::startDetached(ToQString(browserPath_), {ToQString(url)});
}

}  // namespace quarlen
