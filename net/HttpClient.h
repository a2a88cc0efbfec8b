#pragma once
// The program's HTTP/1.1 client: GET only, exact request bytes, never follows
// redirects. AsyncGet does the I/O on the network thread and hands the result
// to the UI thread: the program's only way. The blocking Get, for tools,
// benchmarks and tests, runs the same I/O to its end on the calling thread.
#include <chrono>
#include <cstddef>
#include <exception>
#include <functional>
#include <memory>
#include <string>

#include "net/HttpError.h"

namespace quarlen {

class IUiThread;
class NetworkLoop;

// The two client profiles. The main client (`IdHTTP1`) sends "Cache-control:
// no-cache" (and a blocking one calls its pump after every block); a
// connectivity-check client is made new for each check.
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
// How long a kept connection may have been idle and still carry the next
// request; servers commonly let one go after 5 to 75 s.
inline constexpr std::chrono::milliseconds DefaultKeptIdleLimit{30000};

class THttpClient {
 public:
  using MessagePump = std::function<void()>;
  // What an asynchronous request ends with: the body, or the failure (an
  // HttpError with the user's text) and an empty body.
  using Completion = std::function<void(std::exception_ptr failure, std::string body)>;

  // A blocking client: Get does the I/O on the calling thread. pump is called
  // between waiting slices (and, for the main client, after each block sent or
  // received); it may be empty. It must not destroy this client. An exception
  // thrown by the pump aborts the request and leaves Get.
  THttpClient(THttpClientKind kind, MessagePump pump);
  // An asynchronous client: the I/O runs on loop's thread and every completion
  // runs on ui. Get works too (it waits, calling pump, until the request ends).
  // loop and ui must outlive the client.
  THttpClient(THttpClientKind kind, NetworkLoop& loop, IUiThread& ui, MessagePump pump = nullptr);
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

  // How long a kept connection may have been idle before the next request
  // goes out on a new one instead (default DefaultKeptIdleLimit). One kept
  // across a sleep of the machine is never used again.
  void SetKeptIdleLimit(std::chrono::milliseconds limit);
  std::chrono::milliseconds KeptIdleLimit() const;
  // Where the time the machine has spent asleep comes from (default
  // platform/SleepClock's TimeAsleep); tests give a clock of their own.
  void SetSleepClock(std::function<std::chrono::milliseconds()> timeAsleep);

  // Fetches url and returns the body bytes. Throws HttpError with the user's text:
  // the status line for a failure status or a redirect, "Socket Error # n\r\n..."
  // for socket failures, "Connect timed out.", "Read timed out.",
  // "Connection Closed Gracefully.", "Invalid HTTP response: ...",
  // "Transfer timed out: ..." (HttpDeadlineError),
  // HttpConnectError where no connection was made (lookup, every address, or
  // "Connect timed out."), or a refusal while another request of this client is under way.
  std::string Get(const std::string& url);
  std::string Get(const std::string& url, std::size_t bodyCap);
  std::string Get(const std::string& url, std::size_t bodyCap, std::chrono::milliseconds deadline);

  // Starts fetching url and returns at once; done runs on the UI thread with
  // the body or the failure Get would have thrown, also for a refused URL or a
  // client still busy. Only on a client made with a network loop (else throws
  // std::logic_error). The deadlines count from this call.
  void AsyncGet(const std::string& url, Completion done);
  void AsyncGet(const std::string& url, std::size_t bodyCap, Completion done);
  void AsyncGet(const std::string& url, std::size_t bodyCap, std::chrono::milliseconds deadline, Completion done);
  // Abandons the asynchronous request under way: its completion never runs.
  // The client stays Busy until the network thread has closed the connection.
  void Cancel();

  // True while a request is under way (for example inside the pump).
  bool Busy() const;

 private:
  struct Impl;
  std::shared_ptr<Impl> impl_;  // shared with the handlers of the request under way
};

}  // namespace quarlen
