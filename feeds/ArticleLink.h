#pragma once
// How an article link reaches the browser: encoded for the feed server's
// redirect page (ServerEndpoints::RedirectUrl appends it to that page's address).
#include <stdexcept>
#include <string>
#include <string_view>

namespace quarlen {

// A link that cannot be encoded: "Protocol field is empty" (no "://" or
// nothing before it) or "Host field is empty".
class ArticleLinkError : public std::runtime_error {
 public:
  using std::runtime_error::runtime_error;
};

// scheme "://" host [":" port], then the path and document with blanks, "#",
// "%", "*", "+", "<", ">", control and non-ASCII bytes as %XX, then the query
// with blanks as "+" and everything but ASCII letters and digits (its leading
// "?" or "=" too) as %XX. User information and fragment are dropped; a link
// without a path gains "/". Throws ArticleLinkError.
std::string EncodeArticleLink(std::string_view link);

}  // namespace quarlen
