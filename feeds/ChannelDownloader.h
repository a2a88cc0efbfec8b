#pragma once
// Downloads the channel files on an HTTP client of its own, so the download
// never shares a client with a refresh cycle that is waiting for the feed.
#include <functional>
#include <string>

#include "feeds/ChannelTabs.h"
#include "net/HttpClient.h"
#include "net/NetworkLoop.h"

namespace quarlen {

class ChannelDownloader : public IChannelDownloader {
 public:
  // applyProfile puts the agent string and the live proxy settings on the
  // client right before each request; the requests run on network.
  ChannelDownloader(std::function<void(THttpClient&)> applyProfile, NetworkContext network);

  // Starts fetching url; done gets the body or the failure (an HttpError).
  void Get(const std::string& url, Done done) override;

 private:
  std::function<void(THttpClient&)> applyProfile_;
  THttpClient client_;
};

}  // namespace quarlen
