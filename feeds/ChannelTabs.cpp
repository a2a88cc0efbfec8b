#include "feeds/ChannelTabs.h"

#include <exception>

#include "platform/ReentryGuard.h"
#include "platform/UiPorts.h"

namespace quarlen {

ChannelTabs::ChannelTabs(ChannelTabsPorts ports, ChannelFileUrls urls, std::function<bool()> ping,
                         std::string offlineHtml)
    : ports_(ports), urls_(std::move(urls)), ping_(std::move(ping)), offlineHtml_(std::move(offlineHtml)) {}

void ChannelTabs::FetchChannels() {
  if (channelLinks_) return;
  ports_.statusBar.SetStatusText("Fetching channel list...");
  // ChannelLinks exists before the first byte is asked for: a banner refresh
  // that runs while the downloads wait must not start a second download.
  channelLinks_.emplace();
  std::string names, links, rates;
  try {
    names = ports_.downloader.Get(urls_.names);
    links = ports_.downloader.Get(urls_.links);
    rates = ports_.downloader.Get(urls_.refreshRates);
  } catch (const std::exception&) {
    // Silent, and final for this run: the status text stays as it is.
    return;
  }
  ports_.statusBar.SetStatusText("Fetching channels...");
  const std::vector<Channel> channels = ParseChannelFiles(names, links, rates);
  for (const Channel& channel : channels) {
    channelLinks_->push_back(channel.link);
    channelRefreshRates_.push_back(channel.refreshRate);
    ports_.tabStrip.AddChannelTab(channel.name);
  }
  ports_.statusBar.SetStatusText("Ready");
  activeChannel_ = 0;
  if (!channels.empty()) ActivateChannel();
}

void ChannelTabs::ActivateChannel() {
  if (activeChannel_ < 0 || activeChannel_ >= ChannelCount()) return;
  const int rate = channelRefreshRates_[activeChannel_];
  if (rate != 0) {
    ports_.timer.Start(rate * 1000);
  } else {
    ports_.timer.Stop();
  }
  LoadActiveChannel();
}

void ChannelTabs::tabsChannelsChange(int index) {
  if (index < 0 || index >= ChannelCount() || index == activeChannel_) return;
  for (int i = 0; i < ChannelCount(); ++i) ports_.browsers.Navigate(i, BlankPage);
  activeChannel_ = index;
  ActivateChannel();
}

void ChannelTabs::timerRefreshChannelTimer() {
  // The ping pumps window messages; a tick that fires meanwhile would only
  // stack a second ping on the first.
  if (pingWaiting_) return;
  LoadActiveChannel();
}

void ChannelTabs::LoadActiveChannel() {
  if (activeChannel_ < 0 || activeChannel_ >= ChannelCount()) return;
  const unsigned serial = ++loadSerial_;
  const int channel = activeChannel_;
  bool online = false;
  {
    // A load nested inside this ping (a tab change) finds the flag set and
    // leaves it to this outer guard, so it stays set while any ping waits.
    ReentryGuard waiting(pingWaiting_);
    online = ping_();
  }
  // A tab change while the ping waited has blanked this channel and loaded
  // its own; this load must not put the old page back.
  if (serial != loadSerial_ || channel != activeChannel_) return;
  if (!online) {
    ports_.browsers.LoadHtmlIntoBrowser(channel, offlineHtml_);
    return;
  }
  const std::string& link = (*channelLinks_)[channel];
  ports_.browsers.Navigate(channel, link.empty() ? std::string(BlankPage) : link);
}

}  // namespace quarlen
