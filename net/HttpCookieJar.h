#pragma once
// Cookies a client received, kept in memory per host (name and value only).
#include <map>
#include <string>
#include <utility>
#include <vector>

namespace quarlen {

class HttpCookieJar {
 public:
  // Takes the value of a "Set-Cookie" header (one cookie) or of a "Set-Cookie2"
  // header (a comma-separated list). A cookie with "Max-Age" 0 or less is removed.
  void Remember(const std::string& host, const std::string& headerValue, bool setCookie2);
  // The "Cookie" header value for a request to host: "a=1; b=2", empty when none.
  std::string CookieHeader(const std::string& host) const;

 private:
  void RememberOne(const std::string& host, const std::string& cookie);
  std::map<std::string, std::vector<std::pair<std::string, std::string>>> byHost_;
};

}  // namespace quarlen
