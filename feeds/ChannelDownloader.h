#pragma once
// Downloads the channel files on an HTTP client of its own, so the download
// never shares a client with a refresh cycle that is waiting for the feed.
#include <functional>
#include <string>

#include "feeds/ChannelTabs.h"
#include "net/HttpClient.h"

namespace quarlen {

class ChannelDownloader : public IChannelDownloader {
 public:
  // applyProfile puts the agent string and the live proxy settings on the
  // client right before each request; pump keeps the window alive meanwhile.
  ChannelDownloader(std::function<void(THttpClient&)> applyProfile, THttpClient::MessagePump pump);

  // The body of url; throws HttpError on any failure.
  std::string Get(const std::string& url) override;

 private:
  std::function<void(THttpClient&)> applyProfile_;
  THttpClient client_;
};

}  // namespace quarlen
