#include "feeds/ChannelDownloader.h"

#include <utility>

namespace quarlen {

ChannelDownloader::ChannelDownloader(std::function<void(THttpClient&)> applyProfile, NetworkContext network)
    : applyProfile_(std::move(applyProfile)), client_(THttpClientKind::MainClient, network.loop, network.ui) {}

void ChannelDownloader::Get(const std::string& url, Done done) {
  // The profile is read at the moment of each request, so proxy edits made
  // while the list downloads apply to the next file.
  if (applyProfile_) applyProfile_(client_);
  client_.AsyncGet(url, std::move(done));
}

}  // namespace quarlen
