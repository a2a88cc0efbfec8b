#pragma once
// The program's HTTP/1.1 client: GET only, exact request bytes, never follows
// redirects, keeps the window alive through a message pump while it waits.
#include <chrono>
#include <cstddef>
#include <functional>
#include <memory>
#include <string>

#include "net/HttpError.h"

namespace quarlen {

// The two client profiles. The main client (`IdHTTP1`) sends "Cache-control:
// no-cache" and pumps messages after every block; a connectivity-check client is
// made new for each check.
enum class THttpClientKind { MainClient, ConnectivityCheck };

// The proxy a client goes through; an empty host means a direct connection.
struct HttpProxy {
  std::string host;
  int port = 0;
  bool basicAuthentication = false;
  std::string userName;
  std::string password;
};

inline constexpr std::size_t DefaultBodyCap = std::size_t{4} << 20;  // 4 MiB
inline constexpr std::size_t FeedBodyCap = std::size_t{16} << 20;    // 16 MiB
// How long a connect may take, and how long a wait for data may go without a byte.
inline constexpr std::chrono::milliseconds DefaultConnectTimeout{120000};
inline constexpr std::chrono::milliseconds DefaultReadTimeout{120000};
// How long a whole request may take, connect to last byte. The read limit
// counts silence only, so a server sending one byte a second would otherwise
// hold a request (and the refresh cycle's Busy) for as long as it likes. The
// figures leave a slow line plenty: 2 minutes carry a 4 MiB body at 35 kB/s,
// and the feed, far below its 16 MiB cap in practice, gets 10 minutes.
inline constexpr std::chrono::milliseconds DefaultTransferDeadline{120000};
inline constexpr std::chrono::milliseconds FeedTransferDeadline{600000};

class THttpClient {
 public:
  using MessagePump = std::function<void()>;

  // pump is called between waiting slices (and, for the main client, after each
  // block sent or received); it may be empty. It must not destroy this client.
  // An exception thrown by the pump aborts the request and leaves Get.
  THttpClient(THttpClientKind kind, MessagePump pump);
  ~THttpClient();
  THttpClient(const THttpClient&) = delete;
  THttpClient& operator=(const THttpClient&) = delete;

  void SetUserAgent(const std::string& agent);
  const std::string& UserAgent() const;
  void SetProxy(const HttpProxy& proxy);
  void ResetProxy();
  const HttpProxy& Proxy() const;

  // The largest body a request accepts (default 4 MiB); over it the request fails.
  void SetBodyCap(std::size_t bytes);
  std::size_t BodyCap() const;
  // How long a connect may take before "Connect timed out." (default 120 000 ms).
  void SetConnectTimeout(std::chrono::milliseconds timeout);
  std::chrono::milliseconds ConnectTimeout() const;
  // How long sending or receiving may go without progress before "Read timed
  // out." (default 120 000 ms).
  void SetReadTimeout(std::chrono::milliseconds timeout);
  std::chrono::milliseconds ReadTimeout() const;
  // How long a whole request may take before it fails with HttpDeadlineError
  // (default DefaultTransferDeadline); Get with a deadline of its own ignores it.
  void SetTransferDeadline(std::chrono::milliseconds deadline);
  std::chrono::milliseconds TransferDeadline() const;

  // Fetches url and returns the body bytes. Throws HttpError with the user's text:
  // the status line for a failure status or a redirect, "Socket Error # n\r\n..."
  // for socket failures, "Connect timed out.", "Read timed out.",
  // "Connection Closed Gracefully.", "Invalid HTTP response: ...",
  // "Transfer timed out: ..." (HttpDeadlineError),
  // or a refusal while another request of this client is under way.
  std::string Get(const std::string& url);
  std::string Get(const std::string& url, std::size_t bodyCap);
  std::string Get(const std::string& url, std::size_t bodyCap, std::chrono::milliseconds deadline);

  // True while a request is under way (for example inside the pump).
  bool Busy() const;

  // The pump the client was made with (possibly empty). The main client's pump
  // is the program's one message pump: whatever else must keep the window
  // alive while it works calls this one.
  const MessagePump& Pump() const;

 private:
  struct Impl;
  std::unique_ptr<Impl> impl_;
};

}  // namespace quarlen
