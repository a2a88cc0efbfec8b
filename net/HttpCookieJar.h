#pragma once
// Cookies a client received, kept in memory per host (name and value only),
// within fixed bounds and until they expire.
#include <cstddef>
#include <cstdint>
#include <ctime>
#include <functional>
#include <map>
#include <optional>
#include <string>
#include <vector>

namespace quarlen {

// The bounds a server cannot push the jar past.
inline constexpr std::size_t MaxCookiesPerHost = 50;
inline constexpr std::size_t MaxCookies = 3000;
inline constexpr std::size_t MaxCookieBytes = 4096;        // one Set-Cookie value; a longer one is ignored
inline constexpr std::size_t MaxCookieHeaderBytes = 8192;  // the Cookie header of one request

class HttpCookieJar {
 public:
  using Clock = std::function<std::time_t()>;

  // now gives the current time (seconds since 1970, UTC); empty means the system clock.
  explicit HttpCookieJar(Clock now = {});

  // Takes the value of a "Set-Cookie" header (one cookie) or of a "Set-Cookie2"
  // header (a comma-separated list). "Max-Age" (which wins) or "Expires" in the
  // past removes the cookie; over MaxCookiesPerHost or MaxCookies the oldest go.
  // A cookie with the "Secure" attribute is kept for https requests only.
  void Remember(const std::string& host, const std::string& headerValue, bool setCookie2);
  // The "Cookie" header value for a request to host: "a=1; b=2" in the order the
  // cookies were first set, unexpired ones only, at most MaxCookieHeaderBytes;
  // empty when none. Secure cookies are left out unless overHttps.
  std::string CookieHeader(const std::string& host, bool overHttps = false) const;
  // Cookies held, in all and for one host (expired ones not dropped yet included).
  std::size_t Count() const { return count_; }
  std::size_t CountFor(const std::string& host) const;

 private:
  struct Cookie {
    std::string name;
    std::string value;
    std::optional<std::time_t> expires;
    std::uint64_t created = 0;
    bool secure = false;
  };
  void RememberOne(const std::string& host, const std::string& cookie);
  void DropExpired(std::vector<Cookie>& cookies, std::time_t now);
  void DropOldestOverall();
  std::time_t Now() const;

  Clock now_;
  std::map<std::string, std::vector<Cookie>> byHost_;
  std::uint64_t nextSerial_ = 0;
  std::size_t count_ = 0;
};

}  // namespace quarlen
