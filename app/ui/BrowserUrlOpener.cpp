#include "app/ui/BrowserUrlOpener.h"

#include "platform/BrowserLookup.h"

namespace quarlen {

void BrowserUrlOpener::OpenUrl(const std::string& url) {
  // Never through a command interpreter: the URL is one argument, whatever it
  // holds (a detached child on Linux, the shell's "open" on Windows).
  if (browserPath_.empty()) return;
  OpenUrlWith(browserPath_, url);
}

}  // namespace quarlen
