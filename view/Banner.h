#pragma once
// The banner beside the grid: the web site's banner page while the feed server
// answers the ping, else the offline notice; and the texts around it.
#include <functional>
#include <memory>
#include <string>

#include "service/PingCall.h"

namespace quarlen {

// The offline notice shown in the banner (and in a channel that cannot load).
extern const char* const NoConnectionHtml;

// The "About..." message: the program's name, what it is, the feed server's address.
std::string AboutText(const std::string& feedServer);

// The embedded browser the banner is shown in.
class IBannerBrowser {
 public:
  virtual ~IBannerBrowser() = default;
  virtual void Navigate(const std::string& url) = 0;   // bypasses any cache
  virtual void LoadHtml(const std::string& html) = 0;  // `LoadHtmlIntoBrowser`
};

class Banner {
 public:
  // ping is the usage ping and connectivity check; webSite the site's base URL;
  // online runs after the banner page was asked for (the channel list's fetch).
  Banner(IBannerBrowser& browser, PingCall ping, std::string webSite, std::function<void()> online = nullptr);

  // `RefreshBanner`: ping; online, the banner page; offline, the notice.
  // Returns at once; does nothing while an earlier refresh still waits for its ping.
  void RefreshBanner();
  bool Pinging() const { return pinging_; }

 private:
  void AfterPing(bool answered);

  IBannerBrowser& browser_;
  PingCall ping_;
  std::string webSite_;
  std::function<void()> online_;
  bool pinging_ = false;
  std::shared_ptr<bool> alive_ = std::make_shared<bool>(true);  // the ping's completion looks here first
};

}  // namespace quarlen
