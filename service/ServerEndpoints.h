#pragma once
// Every address the program uses on the feed server, in one place: the feed,
// the three channel files, the article redirect page, the usage ping and the
// two update files, each the base URL followed by its path.
#include <string>
#include <string_view>

namespace quarlen {

class ServerEndpoints {
 public:
  // feedServer is the base URL ("http://127.0.0.1:8421"); slashes at its end
  // are dropped so that no address carries "//" before its path.
  explicit ServerEndpoints(std::string_view feedServer);
  // The feed server this build was configured with (QUARLEN_FEED_SERVER).
  static ServerEndpoints FromBuildConfig();

  const std::string& FeedServer() const { return feedServer_; }

  std::string FeedUrl() const;                 // "/feeds/messenger4.xml.win-1251"
  std::string ChannelNamesUrl() const;         // "/channels/channel_names.txt"
  std::string ChannelLinksUrl() const;         // "/channels/channel_links.txt"
  std::string ChannelRefreshRatesUrl() const;  // "/channels/channel_refreshrates.txt"
  // "/redirect/redirect.php?url=" + encodedLink, appended unchanged (the caller
  // encodes the article link).
  std::string RedirectUrl(std::string_view encodedLink) const;
  // "/ping.php?version=" + version + "&email=" + email, both unencoded; an
  // empty email still sends "&email=".
  std::string PingUrl(std::string_view version, std::string_view email) const;
  std::string VersionUrl() const;          // "/download/version.txt"
  std::string DownloadAddressUrl() const;  // "/download/dlurl.txt"
  // The server's home page, FeedServer + "/" (the About text shows it).
  std::string HomeUrl() const;

 private:
  std::string feedServer_;
};

}  // namespace quarlen
