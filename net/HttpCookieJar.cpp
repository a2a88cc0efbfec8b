#include "net/HttpCookieJar.h"

#include <algorithm>
#include <cctype>

namespace quarlen {

namespace {

std::string Trim(const std::string& text) {
  const auto first = text.find_first_not_of(" \t");
  if (first == std::string::npos) return {};
  return text.substr(first, text.find_last_not_of(" \t") - first + 1);
}

std::string Lower(std::string text) {
  std::transform(text.begin(), text.end(), text.begin(), [](unsigned char c) { return std::tolower(c); });
  return text;
}

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

void HttpCookieJar::Remember(const std::string& host, const std::string& headerValue, bool setCookie2) {
  // "Set-Cookie" is never split on commas: its Expires date carries one.
  if (!setCookie2) {
    RememberOne(host, headerValue);
    return;
  }
  for (const std::string& cookie : SplitUnquoted(headerValue, ',')) RememberOne(host, cookie);
}

void HttpCookieJar::RememberOne(const std::string& host, const std::string& cookie) {
  const std::vector<std::string> parts = SplitUnquoted(cookie, ';');
  const std::string pair = Trim(parts.front());
  const std::size_t equals = pair.find('=');
  if (equals == std::string::npos) return;
  const std::string name = Trim(pair.substr(0, equals));
  const std::string value = Trim(pair.substr(equals + 1));
  if (name.empty()) return;

  bool expired = false;
  for (std::size_t i = 1; i < parts.size(); ++i) {
    const std::string attribute = Trim(parts[i]);
    const std::size_t eq = attribute.find('=');
    if (eq == std::string::npos || Lower(Trim(attribute.substr(0, eq))) != "max-age") continue;
    const std::string age = Trim(attribute.substr(eq + 1));
    expired = !age.empty() && (age.front() == '-' || std::all_of(age.begin(), age.end(), [](char c) { return c == '0'; }));
  }

  auto& cookies = byHost_[Lower(host)];
  const auto existing = std::find_if(cookies.begin(), cookies.end(), [&](const auto& c) { return c.first == name; });
  if (expired) {
    if (existing != cookies.end()) cookies.erase(existing);
  } else if (existing != cookies.end()) {
    existing->second = value;
  } else {
    cookies.emplace_back(name, value);
  }
}

std::string HttpCookieJar::CookieHeader(const std::string& host) const {
  const auto found = byHost_.find(Lower(host));
  if (found == byHost_.end()) return {};
  std::string header;
  for (const auto& [name, value] : found->second) {
    if (!header.empty()) header += "; ";
    header += name + "=" + value;
  }
  return header;
}

}  // namespace quarlen
