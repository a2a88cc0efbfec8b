#include "view/Banner.h"

#include <utility>

namespace quarlen {

// Tabs between the declarations, no line break: the notice is compared as text.
const char* const NoConnectionHtml =
    "<span style=\"font-family: Verdana, Arial, Helvetica, sans-serif;\tfont-size: x-small;\t"
    "font-weight: bold;\">No connection to the Internet is currently available.</span>";

std::string AboutText(const std::string& feedServer) {
  return "Quarlen Messenger\r\nNews and charts for traders\r\n" + feedServer + "/";
}

Banner::Banner(IBannerBrowser& browser, PingCall ping, std::string webSite, std::function<void()> online)
    : browser_(browser), ping_(std::move(ping)), webSite_(std::move(webSite)), online_(std::move(online)) {}

void Banner::RefreshBanner() {
  // Against a server that never answers, every tick would add a ping to the
  // ones already waiting; one at a time is enough to learn the answer.
  if (pinging_) return;
  pinging_ = true;
  try {
    ping_([this, alive = std::weak_ptr<bool>(alive_)](bool answered) {
      if (!alive.expired()) AfterPing(answered);
    });
  } catch (...) {
    pinging_ = false;
    throw;
  }
}

void Banner::AfterPing(bool answered) {
  pinging_ = false;
  if (answered) {
    browser_.Navigate(webSite_ + "/mt/mtfreetitles.php");
    if (online_) online_();
  } else {
    browser_.LoadHtml(NoConnectionHtml);
  }
}

}  // namespace quarlen
