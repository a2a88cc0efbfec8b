#pragma once
// A real tinyproxy on loopback for the tests, with basic authentication when a
// user is given, and CONNECT allowed to the ports listed (any port when none).
#include <signal.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <filesystem>
#include <fstream>
#include <string>
#include <thread>
#include <vector>

#include "tests/support/LoopbackHttpServer.h"

extern char** environ;

namespace quarlen::testhttp {

inline bool ListeningOnLoopback(int port) {
  const int fd = ::socket(AF_INET, SOCK_STREAM, 0);
  sockaddr_in address{};
  address.sin_family = AF_INET;
  address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
  address.sin_port = htons(static_cast<uint16_t>(port));
  const bool ok = ::connect(fd, reinterpret_cast<sockaddr*>(&address), sizeof address) == 0;
  ::close(fd);
  return ok;
}

// Starts program with argv; 0 when it could not be started.
inline pid_t SpawnProgram(const std::vector<std::string>& args) {
  std::vector<char*> argv;
  for (const std::string& arg : args) argv.push_back(const_cast<char*>(arg.c_str()));
  argv.push_back(nullptr);
  pid_t pid = 0;
  if (::posix_spawn(&pid, args.front().c_str(), nullptr, nullptr, argv.data(), environ) != 0) return 0;
  return pid;
}

// Waits (up to 20 s, for a loaded machine) until pid listens on port.
inline bool AwaitListening(pid_t pid, int port) {
  for (int i = 0; i < 400 && pid != 0; ++i) {
    if (ListeningOnLoopback(port)) return true;
    std::this_thread::sleep_for(std::chrono::milliseconds(50));
  }
  return false;
}

inline void EndProgram(pid_t pid) {
  if (pid == 0) return;
  ::kill(pid, SIGTERM);
  ::waitpid(pid, nullptr, 0);
}

class Tinyproxy {
 public:
  Tinyproxy(const std::string& user, const std::string& password, const std::vector<int>& connectPorts = {}) {
    for (const char* candidate : {"/usr/bin/tinyproxy", "/usr/sbin/tinyproxy"}) {
      if (std::filesystem::exists(candidate)) program_ = candidate;
    }
    if (program_.empty()) return;
    folder_ = std::filesystem::path(QUARLEN_BINARY_DIR) / "test-data" / ("tinyproxy-" + std::to_string(::getpid()));
    std::filesystem::create_directories(folder_);
    port_ = UnusedPort();
    const std::string config = (folder_ / ("tinyproxy-" + std::to_string(port_) + ".conf")).string();
    std::ofstream out(config);
    out << "Port " << port_ << "\nListen 127.0.0.1\nTimeout 30\nLogLevel Info\n"
        << "LogFile \"" << (folder_ / "tinyproxy.log").string() << "\"\n"
        << "MaxClients 10\nAllow 127.0.0.1\nDisableViaHeader Yes\n";
    if (!user.empty()) out << "BasicAuth " << user << " " << password << "\n";
    for (int port : connectPorts) out << "ConnectPort " << port << "\n";
    out.close();
    pid_ = SpawnProgram({program_, "-d", "-c", config});
    if (!AwaitListening(pid_, port_)) {
      EndProgram(pid_);
      pid_ = 0;
    }
  }
  ~Tinyproxy() { EndProgram(pid_); }
  Tinyproxy(const Tinyproxy&) = delete;
  Tinyproxy& operator=(const Tinyproxy&) = delete;
  bool Running() const { return pid_ != 0 && ListeningOnLoopback(port_); }
  int Port() const { return port_; }

 private:
  std::string program_;
  std::filesystem::path folder_;
  int port_ = 0;
  pid_t pid_ = 0;
};

}  // namespace quarlen::testhttp
