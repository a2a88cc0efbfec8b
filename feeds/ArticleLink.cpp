#include "feeds/ArticleLink.h"

namespace quarlen {
namespace {

void AppendEscaped(std::string& out, unsigned char byte) {
  static constexpr char Hex[] = "0123456789ABCDEF";
  out += '%';
  out += Hex[byte >> 4];
  out += Hex[byte & 0x0F];
}

bool EscapedInPath(unsigned char c) {
  return c < 0x20 || c >= 0x80 || c == ' ' || c == '#' || c == '%' || c == '*' || c == '+' || c == '<' || c == '>';
}

bool IsAsciiAlnum(unsigned char c) {
  return (c >= '0' && c <= '9') || (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z');
}

}  // namespace

std::string EncodeArticleLink(std::string_view link) {
  const std::size_t schemeEnd = link.find("://");
  if (schemeEnd == std::string_view::npos || schemeEnd == 0) throw ArticleLinkError("Protocol field is empty");
  const std::string_view scheme = link.substr(0, schemeEnd);
  std::string_view rest = link.substr(schemeEnd + 3);

  // The authority ends where the path, the query or the fragment begins: a
  // link such as "http://host?id=5" must not make "host?id=5" its host.
  const std::size_t authorityEnd = rest.find_first_of("/?#");
  std::string_view authority = rest.substr(0, authorityEnd);
  std::string pathPart = "/";
  if (authorityEnd != std::string_view::npos) {
    pathPart.append(rest.substr(rest[authorityEnd] == '/' ? authorityEnd + 1 : authorityEnd));
  }
  // A host never holds an at sign, so the user information runs to the last one.
  if (const std::size_t at = authority.rfind('@'); at != std::string_view::npos) {
    authority.remove_prefix(at + 1);
  }
  std::string_view host = authority;
  std::string_view port;
  // A bracketed IPv6 address holds colons of its own.
  const std::size_t hostEnd = authority.starts_with('[') ? authority.find(']') : 0;
  const std::size_t colon = authority.find(':', hostEnd == std::string_view::npos ? authority.size() : hostEnd);
  if (colon != std::string_view::npos) {
    host = authority.substr(0, colon);
    port = authority.substr(colon + 1);
  }
  if (host.empty()) throw ArticleLinkError("Host field is empty");

  // The fragment is cut first: a "?" or "/" after a "#" belongs to the
  // fragment, never to the query or the path.
  if (const std::size_t hash = pathPart.find('#'); hash != std::string::npos) pathPart.resize(hash);
  std::size_t queryStart = pathPart.find('?');
  if (queryStart == std::string::npos) queryStart = pathPart.find('=');
  const std::string_view beforeQuery = std::string_view(pathPart).substr(0, queryStart);

  std::string out;
  out.reserve(link.size() * 3);
  out.append(scheme).append("://").append(host);
  if (!port.empty()) out.append(":").append(port);
  for (const char ch : beforeQuery) {
    const auto c = static_cast<unsigned char>(ch);
    if (EscapedInPath(c)) {
      AppendEscaped(out, c);
    } else {
      out += ch;
    }
  }
  if (queryStart != std::string::npos) {
    for (const char ch : std::string_view(pathPart).substr(queryStart)) {
      const auto c = static_cast<unsigned char>(ch);
      if (c == ' ') {
        out += '+';
      } else if (IsAsciiAlnum(c)) {
        out += ch;
      } else {
        AppendEscaped(out, c);
      }
    }
  }
  return out;
}

}  // namespace quarlen
