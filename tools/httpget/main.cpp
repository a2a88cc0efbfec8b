// httpget [--connect-timeout MS] [--proxy HOST:PORT] URL...: fetches each URL
// in turn with one client of the program's own (so a kept connection carries
// the next request) and prints one line per request:
//   ok <body bytes> <milliseconds>      or      error <milliseconds> <text>
// Exits 0 when every request succeeded. For trying the client by hand and for
// the scripts that measure it.
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <exception>
#include <string>

#include "net/HttpClient.h"
#include "net/HttpError.h"

namespace {

long long Since(std::chrono::steady_clock::time_point start) {
  return std::chrono::duration_cast<std::chrono::milliseconds>(std::chrono::steady_clock::now() - start).count();
}

}  // namespace

int main(int argc, char** argv) {
  quarlen::THttpClient client(quarlen::THttpClientKind::MainClient, nullptr);
  int failures = 0;
  for (int i = 1; i < argc; ++i) {
    const std::string arg = argv[i];
    if (arg == "--connect-timeout" && i + 1 < argc) {
      client.SetConnectTimeout(std::chrono::milliseconds(std::atoll(argv[++i])));
      continue;
    }
    if (arg == "--proxy" && i + 1 < argc) {
      const std::string proxy = argv[++i];
      const auto colon = proxy.rfind(':');
      client.SetProxy({proxy.substr(0, colon), std::atoi(proxy.c_str() + colon + 1), false, {}, {}});
      continue;
    }
    const auto start = std::chrono::steady_clock::now();
    try {
      const std::string body = client.Get(arg);
      std::printf("ok %zu %lld\n", body.size(), Since(start));
    } catch (const std::exception& e) {
      ++failures;
      std::string text = e.what();
      for (char& c : text) {
        if (c == '\r' || c == '\n') c = ' ';
      }
      std::printf("error %lld %s\n", Since(start), text.c_str());
    }
    std::fflush(stdout);
  }
  return failures == 0 ? 0 : 1;
}
