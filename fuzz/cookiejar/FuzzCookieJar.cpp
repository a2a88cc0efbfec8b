// Drives the cookie jar as a client session would: request URLs, the
// Set-Cookie and Set-Cookie2 values of their answers, and time passing, one
// line each. After every step the jar's bounds must hold; a breach aborts.
//   U<url>    a request: its host gets the Cookie header, later cookies go to it
//   S<value>  a "Set-Cookie" value from the last request's host
//   2<value>  a "Set-Cookie2" value from the last request's host
//   T<digits> that many seconds pass
// Each Set-Cookie value is also read by the date reader alone.
// Run: fuzz_cookiejar -dict=fuzz/cookiejar/cookie.dict fuzz/cookiejar/corpus
#include <cstdint>
#include <cstdlib>
#include <ctime>
#include <set>
#include <string>
#include <string_view>

#include "net/HttpCookieDate.h"
#include "net/HttpCookieJar.h"
#include "net/HttpError.h"
#include "net/HttpUrl.h"
#include "platform/AsciiText.h"

namespace {

using namespace quarlen;

// The reader's range: years 1601 to 9999.
constexpr std::time_t EarliestDate = -11644473600;
constexpr std::time_t LatestDate = 253402300799;

void Check(bool ok) {
  if (!ok) std::abort();
}

// The header of the host just served is built anew; every host's count is checked.
void CheckBounds(const HttpCookieJar& jar, const std::set<std::string>& hosts, const std::string& host) {
  Check(jar.CookieHeader(host).size() <= MaxCookieHeaderBytes);
  std::size_t sum = 0;
  for (const std::string& each : hosts) {
    const std::size_t count = jar.CountFor(each);
    Check(count <= MaxCookiesPerHost);
    sum += count;
  }
  Check(jar.Count() <= MaxCookies);
  Check(sum == jar.Count());  // the running count matches what is held
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  const std::string_view input(reinterpret_cast<const char*>(data), size);
  std::time_t now = 2000000000;  // a fixed start keeps every run repeatable
  HttpCookieJar jar([&] { return now; });
  std::string host = "feeds.example";
  std::set<std::string> hosts{host};

  std::size_t at = 0;
  while (at < input.size()) {
    std::size_t end = input.find('\n', at);
    if (end == std::string_view::npos) end = input.size();
    const std::string_view line = input.substr(at, end - at);
    at = end + 1;
    if (line.empty()) continue;
    const std::string rest(line.substr(1));
    switch (line.front()) {
      case 'U':
        try {
          host = ParseHttpUrl(rest).ConnectHost();
          hosts.insert(AsciiLowered(host));
        } catch (const HttpError&) {
        }
        break;
      case 'S':
      case '2':
        if (const auto date = ParseCookieDate(rest)) Check(*date >= EarliestDate && *date <= LatestDate);
        jar.Remember(host, rest, line.front() == '2');
        break;
      case 'T':
        if (rest.size() <= 9 && rest.find_first_not_of("0123456789") == std::string::npos && !rest.empty()) {
          now += std::stol(rest);
        }
        break;
      default:
        break;
    }
    CheckBounds(jar, hosts, host);
  }
  return 0;
}
