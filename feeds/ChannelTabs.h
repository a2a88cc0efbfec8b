#pragma once
// The channel tabs: the channel list is downloaded once per run, one tab per
// channel is built, and only the active channel holds its page, reloaded at the
// channel's own rate. Reaches the window through the small interfaces below.
#include <array>
#include <exception>
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "feeds/ChannelList.h"
#include "service/PingCall.h"

namespace quarlen {

class IStatusBar;

// The page control: tabs are appended in channel order and never removed.
class IChannelTabStrip {
 public:
  virtual ~IChannelTabStrip() = default;
  virtual void AddChannelTab(const std::string& caption) = 0;
};

// The browsers of the tabs, by channel index.
class IChannelBrowsers {
 public:
  virtual ~IChannelBrowsers() = default;
  // Starts loading url without reading or writing any cache; returns at once.
  virtual void Navigate(int channel, const std::string& url) = 0;
  // Shows an HTML text in place of the page.
  virtual void LoadHtmlIntoBrowser(int channel, const std::string& html) = 0;
};

// The reload timer of the active channel.
class IChannelTimer {
 public:
  virtual ~IChannelTimer() = default;
  virtual void Start(int intervalMs) = 0;  // (re)starts the count
  virtual void Stop() = 0;
};

// Fetches one channel file and returns at once; done runs on the UI thread
// with the body, or with the failure and an empty body.
class IChannelDownloader {
 public:
  using Done = std::function<void(std::exception_ptr failure, std::string body)>;
  virtual ~IChannelDownloader() = default;
  virtual void Get(const std::string& url, Done done) = 0;
};

// Where the three channel files lie on the feed server.
struct ChannelFileUrls {
  std::string names;
  std::string links;
  std::string refreshRates;
};

struct ChannelTabsPorts {
  IChannelTabStrip& tabStrip;
  IChannelBrowsers& browsers;
  IChannelTimer& timer;
  IChannelDownloader& downloader;
  IStatusBar& statusBar;
};

inline constexpr const char* BlankPage = "about:blank";

class ChannelTabs {
 public:
  // ping is the connectivity check run before every page load; offlineHtml is
  // what a channel shows when it fails. All ports outlive this object.
  ChannelTabs(ChannelTabsPorts ports, ChannelFileUrls urls, PingCall ping, std::string offlineHtml);

  // Downloads the three files one after the other and builds one tab per
  // name, then activates the first; returns at once. Runs at most once per
  // run: ChannelLinks exists from its start on, and a failed download leaves
  // it empty with no tabs for the rest of the run.
  void FetchChannels();
  // Sets the timer for ActiveChannel (off for rate 0) and loads its page now.
  void ActivateChannel();
  // The user selected tab index: every browser is blanked, that channel is
  // activated. The active index or one out of range changes nothing.
  void tabsChannelsChange(int index);
  // Pings, then loads the active channel's page, or the offline notice when
  // the ping fails. A tick while an earlier load still waits for its ping is
  // covered by that load.
  void timerRefreshChannelTimer();

  // Absent until the first download attempt; then one link per built tab.
  const std::optional<std::vector<std::string>>& ChannelLinks() const { return channelLinks_; }
  const std::vector<int>& ChannelRefreshRates() const { return channelRefreshRates_; }
  int ActiveChannel() const { return activeChannel_; }

 private:
  void DownloadFile(std::size_t which);
  void BuildTabs();
  void LoadActiveChannel();
  int ChannelCount() const { return static_cast<int>(channelRefreshRates_.size()); }

  ChannelTabsPorts ports_;
  ChannelFileUrls urls_;
  PingCall ping_;
  std::string offlineHtml_;
  std::array<std::string, 3> files_;  // names, links and rates as they arrive
  std::optional<std::vector<std::string>> channelLinks_;
  std::vector<int> channelRefreshRates_;
  int activeChannel_ = 0;
  unsigned loadSerial_ = 0;
  int pingsWaiting_ = 0;
  std::shared_ptr<bool> alive_ = std::make_shared<bool>(true);  // completions look here first
};

}  // namespace quarlen
