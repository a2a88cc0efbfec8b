#pragma once
// The page control of the channel tabs and the browser of each tab. A tab's
// browser is made on the first page it shows, so a channel never opened costs
// no browser at all.
#include <string>
#include <vector>

#include "feeds/ChannelTabs.h"

class QTabWidget;
class QWebEngineProfile;
class QWebEngineView;

namespace quarlen {

class ChannelTabsView : public IChannelTabStrip, public IChannelBrowsers {
 public:
  // tabs and profile outlive this object; the browsers are children of the tabs.
  ChannelTabsView(QTabWidget& tabs, QWebEngineProfile* profile);

  void AddChannelTab(const std::string& caption) override;
  void Navigate(int channel, const std::string& url) override;
  void LoadHtmlIntoBrowser(int channel, const std::string& html) override;

  // Channel i's browser; nullptr until it showed a page (or out of range).
  QWebEngineView* ChannelBrowser(int channel) const;

 private:
  QWebEngineView* EnsureBrowser(int channel);

  QTabWidget& tabs_;
  QWebEngineProfile* profile_;
  std::vector<QWebEngineView*> ChannelBrowsers;
};

}  // namespace quarlen
