#pragma once
// The channel tabs put together: the core state machine on the window's page
// control, reload timer and the page views the banner shares, with a download client of
// its own. The composition root makes one and calls FetchChannels through it.
#include <QObject>
#include <functional>
#include <memory>
#include <string>

#include "feeds/ChannelDownloader.h"
#include "feeds/ChannelTabs.h"
#include "feeds/ui/ChannelTabsView.h"
#include "feeds/ui/ChannelTimer.h"
#include "platform/UiPorts.h"

class QTabWidget;
class QTimer;

namespace quarlen {

class PageViews;

struct ChannelTabsSetup {
  QTabWidget& tabsChannels;
  QTimer& timerRefreshChannel;
  PageViews& pages;  // the banner's page engine
  IStatusBar& statusBar;
  IUrlOpener& urlOpener;  // the user's browser, for links that ask for a new window
  ICommandRunner& run;    // the page control's changes and the timer's ticks run through it
  ChannelFileUrls urls;
  PingCall ping;                                   // the usage ping
  std::function<void(THttpClient&)> applyProfile;  // ApplyHttpProfile with the live settings
  NetworkContext network;                          // where the downloads run
  std::string offlineHtml;
};

class ChannelTabsUi {
 public:
  // Connects the page control's change and the timer's tick to the tabs.
  explicit ChannelTabsUi(ChannelTabsSetup setup);
  ~ChannelTabsUi();

  ChannelTabs& Tabs() { return tabs_; }

 private:
  ChannelDownloader downloader_;
  ChannelTabsView view_;
  ChannelTimer timer_;
  ChannelTabs tabs_;
  std::unique_ptr<QObject> connections_;  // disconnects both signals when destroyed
};

}  // namespace quarlen
