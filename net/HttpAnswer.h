#pragma once
// Reads one server's answer to a GET out of the bytes received so far: the
// header (the status line kept exactly as it came), interim 1xx answers,
// Set-Cookie into the jar, then a counted, chunked or close-delimited body
// under a cap. Failures are thrown as HttpError with the user's text.
#include <boost/beast/core/flat_buffer.hpp>
#include <boost/beast/http/parser.hpp>
#include <boost/beast/http/string_body.hpp>
#include <cstddef>
#include <optional>
#include <string>

namespace quarlen {

class HttpCookieJar;

class HttpAnswer {
 public:
  // Cookies the answer sets go into cookies for cookieHost; the body may
  // have at most cap bytes.
  HttpAnswer(std::size_t cap, HttpCookieJar& cookies, std::string cookieHost);

  // Consumes what it can of received. True once the answer is complete (or
  // ended by the close, when peerClosed says the server closed), false when it
  // needs more bytes.
  bool Take(boost::beast::flat_buffer& received, bool peerClosed);
  // Whether the answer ended as the server announced and allows another
  // request on the connection (Connection or Proxy-Connection).
  bool KeepsConnection() const;
  std::string ReleaseBody();

 private:
  using Parser = boost::beast::http::response_parser<boost::beast::http::string_body>;
  enum class Part { StatusLine, Header, Body, Finished };

  void StartMessage();
  void ReadHeader(bool peerClosed);
  void EndByClose();

  std::size_t cap_;
  HttpCookieJar& cookies_;
  std::string cookieHost_;
  Part part_ = Part::StatusLine;
  std::optional<Parser> parser_;
  std::string statusLine_;
  std::size_t scanned_ = 0;  // where the search for the header's end resumes
  bool whole_ = false;       // ended where the server said it would
};

}  // namespace quarlen
