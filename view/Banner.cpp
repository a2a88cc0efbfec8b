#include "view/Banner.h"

#include <utility>

#include "platform/ReentryGuard.h"

namespace quarlen {

// Tabs between the declarations, no line break: the notice is compared as text.
const char* const NoConnectionHtml =
    "<span style=\"font-family: Verdana, Arial, Helvetica, sans-serif;\tfont-size: x-small;\t"
    "font-weight: bold;\">No connection to the Internet is currently available.</span>";

std::string AboutText(const std::string& feedServer) {
  return "Quarlen Messenger\r\nNews and charts for traders\r\n" + feedServer + "/";
}

Banner::Banner(IBannerBrowser& browser, std::function<bool()> ping, std::string webSite, std::function<void()> online)
    : browser_(browser), ping_(std::move(ping)), webSite_(std::move(webSite)), online_(std::move(online)) {}

void Banner::RefreshBanner() {
  // The ping pumps window messages, so the banner timer can fire inside a ping
  // that still waits; a second ping nested in it would only wait as well.
  bool answered = false;
  {
    ReentryGuard guard(pinging_);
    if (!guard.Entered()) return;
    answered = ping_();
  }
  if (answered) {
    browser_.Navigate(webSite_ + "/mt/mtfreetitles.php");
    if (online_) online_();
  } else {
    browser_.LoadHtml(NoConnectionHtml);
  }
}

}  // namespace quarlen
