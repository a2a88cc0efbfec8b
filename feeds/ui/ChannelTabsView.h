#pragma once
// The page control of the channel tabs and the browser of each tab. A tab's
// browser is made on the first page it shows and released when it is blanked
// in a hidden tab, so only the channel on show costs a browser.
#include <string>
#include <vector>

#include "feeds/ChannelTabs.h"

class QTabWidget;
class QWebEngineProfile;
class QWebEngineView;

namespace quarlen {

class IUrlOpener;

class ChannelTabsView : public IChannelTabStrip, public IChannelBrowsers {
 public:
  // tabs, profile and opener outlive this object; the browsers are children of
  // the tabs. Links that ask for a new window open through opener.
  ChannelTabsView(QTabWidget& tabs, QWebEngineProfile* profile, IUrlOpener& opener);

  void AddChannelTab(const std::string& caption) override;
  void Navigate(int channel, const std::string& url) override;
  void LoadHtmlIntoBrowser(int channel, const std::string& html) override;

  // Channel i's browser; nullptr while it shows nothing (or out of range).
  QWebEngineView* ChannelBrowser(int channel) const;

 private:
  QWebEngineView* EnsureBrowser(int channel);

  QTabWidget& tabs_;
  QWebEngineProfile* profile_;
  IUrlOpener& opener_;
  std::vector<QWebEngineView*> ChannelBrowsers;
};

}  // namespace quarlen
