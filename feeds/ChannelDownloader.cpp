#include "feeds/ChannelDownloader.h"

namespace quarlen {

ChannelDownloader::ChannelDownloader(std::function<void(THttpClient&)> applyProfile, THttpClient::MessagePump pump)
    : applyProfile_(std::move(applyProfile)), client_(THttpClientKind::MainClient, std::move(pump)) {}

std::string ChannelDownloader::Get(const std::string& url) {
  // The profile is read at the moment of each request, so proxy edits made
  // while the list downloads apply to the next file.
  if (applyProfile_) applyProfile_(client_);
  return client_.Get(url);
}

}  // namespace quarlen
