#include "net/HttpAnswer.h"

#include <boost/asio/buffer.hpp>
#include <boost/beast/core/string.hpp>
#include <boost/beast/http/error.hpp>

#include <algorithm>
#include <string_view>
#include <utility>

#include "net/HttpCookieJar.h"
#include "net/HttpError.h"

namespace quarlen {

namespace {

namespace beast = boost::beast;
namespace http = beast::http;
using ErrorCode = boost::system::error_code;

constexpr std::size_t HeaderLimit = std::size_t{64} * 1024;
constexpr const char* ClosedGracefully = "Connection Closed Gracefully.";
constexpr std::string_view Blanks = " \t";

// Where the header block ends (just past its empty line), or npos while it is
// incomplete. Lines may end in CR LF or, from sloppy servers, in a bare LF.
std::size_t HeaderEnd(std::string_view data, std::size_t from) {
  for (auto lf = data.find('\n', from); lf != std::string_view::npos; lf = data.find('\n', lf + 1)) {
    if (lf + 1 < data.size() && data[lf + 1] == '\n') return lf + 2;
    if (lf + 2 < data.size() && data[lf + 1] == '\r' && data[lf + 2] == '\n') return lf + 3;
  }
  return std::string_view::npos;
}

// The parser reads only the strict form: lines ended by CR LF, one blank
// between version and code and one after the code. It gets that form of the
// header as received; the failure text keeps the status line untouched.
std::string StrictHeader(std::string_view header) {
  std::string lines;
  lines.reserve(header.size() + 64);
  for (std::size_t i = 0; i < header.size(); ++i) {
    if (header[i] == '\n' && (i == 0 || header[i - 1] != '\r')) lines += '\r';
    lines += header[i];
  }
  const std::size_t eol = std::min(lines.find("\r\n"), lines.size());
  const std::string_view status(lines.data(), eol);
  const std::size_t versionEnd = status.find_first_of(Blanks);
  const std::size_t codeStart = status.find_first_not_of(Blanks, versionEnd);
  if (versionEnd == std::string_view::npos || codeStart == std::string_view::npos) return lines;
  const std::size_t codeEnd = std::min(status.find_first_of(Blanks, codeStart), status.size());
  const std::size_t reasonStart = std::min(status.find_first_not_of(Blanks, codeEnd), status.size());
  std::string strict(status.substr(0, versionEnd));
  strict.append(" ").append(status.substr(codeStart, codeEnd - codeStart)).append(" ");
  strict.append(status.substr(reasonStart));
  return strict + lines.substr(eol);
}

HttpError InvalidResponse(const ErrorCode& ec) { return HttpError("Invalid HTTP response: " + ec.message()); }

HttpError OverCap(std::size_t cap) {
  return HttpError("The response is larger than the limit of " + std::to_string(cap) + " bytes.");
}

std::string_view View(const beast::flat_buffer& buffer) {
  return {static_cast<const char*>(buffer.data().data()), buffer.size()};
}

}  // namespace

HttpAnswer::HttpAnswer(std::size_t cap, HttpCookieJar& cookies, std::string cookieHost)
    : cap_(cap), cookies_(cookies), cookieHost_(std::move(cookieHost)) {
  StartMessage();
}

// A fresh parser for one message (the answer, or an interim one before it);
// the body cap is set once the status is known.
void HttpAnswer::StartMessage() {
  parser_.emplace();
  parser_->header_limit(HeaderLimit);
  parser_->body_limit(boost::none);
  parser_->eager(false);
  statusLine_.clear();
  scanned_ = 0;
  part_ = Part::StatusLine;
}

// The parser sees the header only once it is complete, so the status line
// stays exactly as received and a header cut by the close can still be ended.
bool HttpAnswer::Take(beast::flat_buffer& received, bool peerClosed) {
  for (;;) {
    if (part_ == Part::Finished) return true;
    if (part_ == Part::StatusLine || part_ == Part::Header) {
      const std::string_view data = View(received);
      if (part_ == Part::StatusLine) {
        const auto lineEnd = data.find('\n');
        if (lineEnd != std::string_view::npos) {
          statusLine_ = std::string(data.substr(0, lineEnd));
          if (!statusLine_.empty() && statusLine_.back() == '\r') statusLine_.pop_back();
          part_ = Part::Header;
        }
      }
      const auto end = HeaderEnd(data, scanned_);
      if (end != std::string_view::npos) {
        const std::string header = StrictHeader(data.substr(0, end));
        received.consume(end);
        ErrorCode ec;
        parser_->put(boost::asio::buffer(header), ec);
        if (!parser_->is_header_done()) throw InvalidResponse(ec ? ec : http::error::need_more);
        ReadHeader(peerClosed);
        continue;
      }
      if (data.size() > HeaderLimit) throw InvalidResponse(http::error::header_limit);
      scanned_ = data.size() < 2 ? 0 : data.size() - 2;
      if (!peerClosed) return false;

      // Closed inside the header: without a status line there is no answer at
      // all; otherwise the header ends with the last complete line.
      if (part_ == Part::StatusLine) throw HttpError(ClosedGracefully);
      std::string header(data);
      header.erase(header.rfind('\n') + 1);
      header += "\r\n";
      header = StrictHeader(header);
      received.clear();
      ErrorCode ec;
      parser_->put(boost::asio::buffer(header), ec);
      if (!parser_->is_header_done()) throw InvalidResponse(ec ? ec : http::error::partial_message);
      ReadHeader(peerClosed);
      continue;
    }

    if (parser_->is_done()) break;
    if (received.size() > 0) {
      ErrorCode ec;
      const std::size_t used = parser_->put(received.data(), ec);
      received.consume(used);
      if (ec == http::error::body_limit) throw OverCap(cap_);
      if (ec && ec != http::error::need_more) throw InvalidResponse(ec);
      if (parser_->is_done()) break;
      if (!ec && used > 0) continue;
    }
    if (!peerClosed) return false;
    EndByClose();
    return true;
  }
  whole_ = true;
  part_ = Part::Finished;
  return true;
}

// Takes in a complete header: an interim answer ("100 Continue" and the like)
// makes way for the next header, a failure status or a redirect ends the
// request with the status line, a success starts the body.
void HttpAnswer::ReadHeader(bool peerClosed) {
  const auto& header = parser_->get();
  for (const auto& field : header) {
    if (beast::iequals(field.name_string(), "Set-Cookie")) {
      cookies_.Remember(cookieHost_, std::string(field.value()), false);
    } else if (beast::iequals(field.name_string(), "Set-Cookie2")) {
      cookies_.Remember(cookieHost_, std::string(field.value()), true);
    }
  }
  const unsigned status = header.result_int();
  // 101 would switch protocols, which we never ask for.
  if (status >= 100 && status < 200 && status != 101) {
    if (peerClosed) throw HttpError(ClosedGracefully);
    StartMessage();
    return;
  }
  if (header.find(http::field::location) != header.end() || status < 200 || status > 299) {
    throw HttpError(statusLine_);
  }
  if (const auto length = parser_->content_length(); length && *length > cap_) throw OverCap(cap_);
  parser_->body_limit(cap_);
  part_ = Part::Body;
}

// A body that runs until the close is whole; a counted body cut short keeps
// what arrived; a cut chunk stream has no trustworthy end, so it fails like a
// close before the answer.
void HttpAnswer::EndByClose() {
  ErrorCode ec;
  parser_->put_eof(ec);
  if (ec && parser_->chunked()) throw HttpError(ClosedGracefully);
  whole_ = !ec;
  part_ = Part::Finished;
}

bool HttpAnswer::KeepsConnection() const { return whole_ && parser_->keep_alive(); }

std::string HttpAnswer::ReleaseBody() { return parser_->release().body(); }

}  // namespace quarlen
