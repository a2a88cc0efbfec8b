#include "net/HttpTunnel.h"

#include "net/HttpError.h"
#include "net/HttpRequest.h"
#include "platform/AsciiText.h"

namespace quarlen {

namespace {

constexpr std::size_t TunnelHeaderLimit = std::size_t{64} * 1024;

// "HTTP/1.x" and a three-digit code; the code, or -1 when the line is not a status line.
int StatusCode(std::string_view line) {
  if (!StartsWithIgnoringAsciiCase(line, "HTTP/")) return -1;
  const std::size_t blank = line.find(' ');
  if (blank == std::string_view::npos) return -1;
  const std::size_t start = line.find_first_not_of(' ', blank);
  if (start == std::string_view::npos || line.size() < start + 3) return -1;
  int code = 0;
  for (std::size_t i = start; i < start + 3; ++i) {
    if (!IsAsciiDigit(line[i])) return -1;
    code = code * 10 + (line[i] - '0');
  }
  if (line.size() > start + 3 && line[start + 3] != ' ') return -1;
  return code;
}

}  // namespace

std::string BuildConnectRequest(const HttpConnectRequest& request) {
  const std::string authority = request.url.Authority();
  std::string out = "CONNECT " + authority + " HTTP/1.1\r\n";
  // The tunnel's own Host names the port always: there is no scheme to imply one.
  AddHeader(out, "Host", authority);
  AddHeader(out, "User-Agent", request.userAgent);
  if (request.proxyUserName) {
    AddHeader(out, "Proxy-Authorization",
              "Basic " + EncodeBase64(*request.proxyUserName + ":" + request.proxyPassword));
  }
  out += "\r\n";
  return out;
}

TunnelReply ReadTunnelReply(std::string_view received) {
  TunnelReply reply;
  const std::size_t lineEnd = received.find('\n');
  if (lineEnd != std::string_view::npos) {
    std::string_view line = received.substr(0, lineEnd);
    if (!line.empty() && line.back() == '\r') line.remove_suffix(1);
    reply.statusLine = std::string(line);
    if (StatusCode(line) < 0) throw HttpError("Invalid HTTP response from the proxy: " + reply.statusLine);
  } else if (received.size() >= 5 && !StartsWithIgnoringAsciiCase(received, "HTTP/")) {
    throw HttpError("Invalid HTTP response from the proxy.");
  }
  // Lines may end in CR LF or, from sloppy proxies, in a bare LF.
  for (auto lf = received.find('\n'); lf != std::string_view::npos; lf = received.find('\n', lf + 1)) {
    std::size_t end = std::string_view::npos;
    if (lf + 1 < received.size() && received[lf + 1] == '\n') end = lf + 2;
    if (lf + 2 < received.size() && received[lf + 1] == '\r' && received[lf + 2] == '\n') end = lf + 3;
    if (end != std::string_view::npos) {
      reply.complete = true;
      reply.headerSize = end;
      break;
    }
  }
  const std::size_t size = reply.complete ? reply.headerSize : received.size();
  if (size > TunnelHeaderLimit) throw HttpError("Invalid HTTP response from the proxy: the header is too long.");
  return reply;
}

void CheckTunnelOpened(const TunnelReply& reply, const std::string& authority) {
  const int code = StatusCode(reply.statusLine);
  if (reply.complete && code >= 200 && code <= 299) return;
  throw HttpError("The proxy refused the connection to " + authority + ": " + reply.statusLine);
}

}  // namespace quarlen
