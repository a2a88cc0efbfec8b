#include "feeds/ChannelTabs.h"

#include <exception>

#include "platform/UiPorts.h"

namespace quarlen {

ChannelTabs::ChannelTabs(ChannelTabsPorts ports, ChannelFileUrls urls, PingCall ping, std::string offlineHtml)
    : ports_(ports), urls_(std::move(urls)), ping_(std::move(ping)), offlineHtml_(std::move(offlineHtml)) {}

void ChannelTabs::FetchChannels() {
  if (channelLinks_) return;
  ports_.statusBar.SetStatusText("Fetching channel list...");
  // ChannelLinks exists before the first byte is asked for: a banner refresh
  // that runs while the downloads wait must not start a second download.
  channelLinks_.emplace();
  DownloadFile(0);
}

void ChannelTabs::DownloadFile(std::size_t which) {
  if (which == files_.size()) return BuildTabs();
  const std::string& url = which == 0 ? urls_.names : (which == 1 ? urls_.links : urls_.refreshRates);
  ports_.downloader.Get(
      url, [this, which, alive = std::weak_ptr<bool>(alive_)](const std::exception_ptr& failure, std::string body) {
        // A failure is silent, and final for this run: the status text stays as it is.
        if (alive.expired() || failure) return;
        files_[which] = std::move(body);
        DownloadFile(which + 1);
      });
}

void ChannelTabs::BuildTabs() {
  ports_.statusBar.SetStatusText("Fetching channels...");
  const std::vector<Channel> channels = ParseChannelFiles(files_[0], files_[1], files_[2]);
  files_ = {};
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
  // Against a server that never answers, every tick would stack one more
  // ping on those already waiting.
  if (pingsWaiting_ > 0) return;
  LoadActiveChannel();
}

void ChannelTabs::LoadActiveChannel() {
  if (activeChannel_ < 0 || activeChannel_ >= ChannelCount()) return;
  const unsigned serial = ++loadSerial_;
  const int channel = activeChannel_;
  ++pingsWaiting_;
  try {
    ping_([this, serial, channel, alive = std::weak_ptr<bool>(alive_)](bool online) {
      if (alive.expired()) return;
      --pingsWaiting_;
      // A tab change while the ping waited has blanked this channel and
      // loaded its own; this load must not put the old page back.
      if (serial != loadSerial_ || channel != activeChannel_) return;
      if (!online) {
        ports_.browsers.LoadHtmlIntoBrowser(channel, offlineHtml_);
        return;
      }
      const std::string& link = (*channelLinks_)[channel];
      ports_.browsers.Navigate(channel, link.empty() ? std::string(BlankPage) : link);
    });
  } catch (...) {
    --pingsWaiting_;
    throw;
  }
}

}  // namespace quarlen
