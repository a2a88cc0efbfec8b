#include "net/HttpCookieJar.h"

#include <algorithm>
#include <utility>

#include "net/HttpCookieDate.h"
#include "platform/AsciiText.h"

namespace quarlen {

namespace {

// Cookie attributes are separated by spaces and tabs only.
std::string Trim(std::string_view text) { return std::string(TrimAscii(text, " \t")); }

// Splits on sep outside double quotes.
std::vector<std::string> SplitUnquoted(const std::string& text, char sep) {
  std::vector<std::string> parts(1);
  bool quoted = false;
  for (char c : text) {
    if (c == '"') quoted = !quoted;
    if (c == sep && !quoted) {
      parts.emplace_back();
    } else {
      parts.back() += c;
    }
  }
  return parts;
}

}  // namespace

HttpCookieJar::HttpCookieJar(Clock now) : now_(std::move(now)) {}

std::time_t HttpCookieJar::Now() const { return now_ ? now_() : std::time(nullptr); }

void HttpCookieJar::Remember(const std::string& host, const std::string& headerValue, bool setCookie2) {
  // "Set-Cookie" is never split on commas: its Expires date carries one.
  if (!setCookie2) {
    RememberOne(host, headerValue);
    return;
  }
  for (const std::string& cookie : SplitUnquoted(headerValue, ',')) RememberOne(host, cookie);
}

void HttpCookieJar::RememberOne(const std::string& host, const std::string& cookie) {
  // Without bounds a server setting new cookies on every answer makes every
  // later request larger, for as long as the program runs.
  if (cookie.size() > MaxCookieBytes) return;
  const std::vector<std::string> parts = SplitUnquoted(cookie, ';');
  const std::string pair = Trim(parts.front());
  const std::size_t equals = pair.find('=');
  if (equals == std::string::npos) return;
  const std::string name = Trim(pair.substr(0, equals));
  const std::string value = Trim(pair.substr(equals + 1));
  if (name.empty()) return;

  const std::time_t now = Now();
  std::optional<std::time_t> maxAge;
  std::optional<std::time_t> expires;
  bool secure = false;
  for (std::size_t i = 1; i < parts.size(); ++i) {
    const std::string attribute = Trim(parts[i]);
    const std::size_t eq = attribute.find('=');
    // "Secure" takes no value; a value given anyway is ignored, the attribute is not.
    if (AsciiLowered(Trim(attribute.substr(0, eq))) == "secure") secure = true;
    if (eq == std::string::npos) continue;
    const std::string key = AsciiLowered(Trim(attribute.substr(0, eq)));
    const std::string text = Trim(attribute.substr(eq + 1));
    if (key == "max-age") {
      const bool negative = !text.empty() && text.front() == '-';
      const std::string digits = negative ? text.substr(1) : text;
      if (digits.empty() || !std::all_of(digits.begin(), digits.end(), IsAsciiDigit)) {
        continue;  // not a number: the attribute is ignored
      }
      // Long enough to be "never" without overflowing the clock.
      const bool huge = digits.size() > 9;
      const std::time_t seconds = huge ? std::time_t{999999999} : static_cast<std::time_t>(std::stol(digits));
      maxAge = negative || seconds == 0 ? now - 1 : now + seconds;
    } else if (key == "expires") {
      if (const auto date = ParseCookieDate(text)) expires = date;
    }
  }
  const std::optional<std::time_t> expiry = maxAge ? maxAge : expires;

  const std::string key = AsciiLowered(host);
  auto& cookies = byHost_[key];
  DropExpired(cookies, now);
  const auto existing = std::find_if(cookies.begin(), cookies.end(), [&](const Cookie& c) { return c.name == name; });
  if (expiry && *expiry <= now) {
    if (existing != cookies.end()) {
      cookies.erase(existing);
      --count_;
    }
    if (cookies.empty()) byHost_.erase(key);
    return;
  }
  if (existing != cookies.end()) {
    // A replaced cookie keeps its place among the oldest.
    existing->value = value;
    existing->expires = expiry;
    existing->secure = secure;
    return;
  }
  cookies.push_back(Cookie{name, value, expiry, nextSerial_++, secure});
  ++count_;
  // Cookies are kept in the order they were first set, so the oldest is first.
  if (cookies.size() > MaxCookiesPerHost) {
    cookies.erase(cookies.begin());
    --count_;
  }
  if (count_ > MaxCookies) DropOldestOverall();
}

void HttpCookieJar::DropExpired(std::vector<Cookie>& cookies, std::time_t now) {
  const auto before = cookies.size();
  std::erase_if(cookies, [now](const Cookie& c) { return c.expires && *c.expires <= now; });
  count_ -= before - cookies.size();
}

void HttpCookieJar::DropOldestOverall() {
  auto oldest = byHost_.end();
  for (auto it = byHost_.begin(); it != byHost_.end(); ++it) {
    if (it->second.empty()) continue;
    if (oldest == byHost_.end() || it->second.front().created < oldest->second.front().created) {
      oldest = it;
    }
  }
  if (oldest == byHost_.end()) return;
  oldest->second.erase(oldest->second.begin());
  --count_;
  if (oldest->second.empty()) byHost_.erase(oldest);
}

std::size_t HttpCookieJar::CountFor(const std::string& host) const {
  const auto found = byHost_.find(AsciiLowered(host));
  return found == byHost_.end() ? 0 : found->second.size();
}

std::string HttpCookieJar::CookieHeader(const std::string& host, bool overHttps) const {
  const auto found = byHost_.find(AsciiLowered(host));
  if (found == byHost_.end()) return {};
  const std::time_t now = Now();
  std::string header;
  for (const Cookie& cookie : found->second) {
    if (cookie.expires && *cookie.expires <= now) continue;
    // A Secure cookie must never cross the wire in the clear.
    if (cookie.secure && !overHttps) continue;
    const std::size_t added = (header.empty() ? 0 : 2) + cookie.name.size() + 1 + cookie.value.size();
    // A cookie that no longer fits is left out; a shorter later one may still go.
    if (header.size() + added > MaxCookieHeaderBytes) continue;
    if (!header.empty()) header += "; ";
    header += cookie.name + "=" + cookie.value;
  }
  return header;
}

}  // namespace quarlen
