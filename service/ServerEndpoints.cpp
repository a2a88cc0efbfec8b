#include "service/ServerEndpoints.h"

#include "platform/BuildConfig.h"

namespace quarlen {

ServerEndpoints::ServerEndpoints(std::string_view feedServer) : feedServer_(feedServer) {
  // A configured base of "http://host:port/" would otherwise give "//feeds/...",
  // which a server that does not merge slashes answers with 404.
  while (!feedServer_.empty() && feedServer_.back() == '/') feedServer_.pop_back();
}

ServerEndpoints ServerEndpoints::FromBuildConfig() { return ServerEndpoints(build::FeedServer); }

std::string ServerEndpoints::FeedUrl() const { return feedServer_ + "/feeds/messenger4.xml.win-1251"; }

std::string ServerEndpoints::ChannelNamesUrl() const { return feedServer_ + "/channels/channel_names.txt"; }

std::string ServerEndpoints::ChannelLinksUrl() const { return feedServer_ + "/channels/channel_links.txt"; }

std::string ServerEndpoints::ChannelRefreshRatesUrl() const {
  return feedServer_ + "/channels/channel_refreshrates.txt";
}

std::string ServerEndpoints::RedirectUrl(std::string_view encodedLink) const {
  return feedServer_ + "/redirect/redirect.php?url=" + std::string(encodedLink);
}

std::string ServerEndpoints::PingUrl(std::string_view version, std::string_view email) const {
  return feedServer_ + "/ping.php?version=" + std::string(version) + "&email=" + std::string(email);
}

std::string ServerEndpoints::VersionUrl() const { return feedServer_ + "/download/version.txt"; }

std::string ServerEndpoints::DownloadAddressUrl() const { return feedServer_ + "/download/dlurl.txt"; }

std::string ServerEndpoints::HomeUrl() const { return feedServer_ + "/"; }

}  // namespace quarlen
