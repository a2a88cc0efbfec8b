#pragma once
// The page control of the channel tabs and the browser of each tab. A tab's
// browser is made on the first page it shows and released when it is blanked
// in a hidden tab, so only the channel on show costs a browser.
#include <string>
#include <vector>

#include "feeds/ChannelTabs.h"

class QTabWidget;

namespace quarlen {

class IPageView;
class IUrlOpener;
class PageViews;

class ChannelTabsView : public IChannelTabStrip, public IChannelBrowsers {
 public:
  // tabs, pages and opener outlive this object; the browsers are children of
  // the tabs. Links that ask for a new window open through opener.
  ChannelTabsView(QTabWidget& tabs, PageViews& pages, IUrlOpener& opener);

  void AddChannelTab(const std::string& caption) override;
  void Navigate(int channel, const std::string& url) override;
  void LoadHtmlIntoBrowser(int channel, const std::string& html) override;

  // Channel i's browser; nullptr while it shows nothing (or out of range).
  IPageView* ChannelBrowser(int channel) const;

 private:
  IPageView* EnsureBrowser(int channel);

  QTabWidget& tabs_;
  PageViews& pages_;
  IUrlOpener& opener_;
  std::vector<IPageView*> ChannelBrowsers;
};

}  // namespace quarlen
