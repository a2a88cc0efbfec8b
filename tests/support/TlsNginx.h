#pragma once
// A real nginx on loopback serving one folder over TLS on four ports, one per
// certificate made by tests/support/tls_certificates.sh: "server" (signed by
// the private authority CaFile(), for 127.0.0.1 and localhost), "stranger"
// (an authority nobody trusts), "expired" and "othername"; "plain" serves the
// same without TLS. Every answer sets
// the Secure cookie "session=tls"; /echo answers "Host|SNI|connection|Cookie".
#include <filesystem>
#include <fstream>
#include <iterator>
#include <map>
#include <string>
#include <vector>

#include "tests/support/Tinyproxy.h"

namespace quarlen::testhttp {

class TlsNginx {
 public:
  // files maps a request path ("/ping.php") to the bytes it serves.
  explicit TlsNginx(const std::map<std::string, std::string>& files) {
    for (const char* candidate : {"/usr/sbin/nginx", "/usr/bin/nginx"}) {
      if (std::filesystem::exists(candidate)) program_ = candidate;
    }
    folder_ = std::filesystem::path(QUARLEN_BINARY_DIR) / "test-data" / ("tls-nginx-" + std::to_string(::getpid()));
    const std::string certificates = (folder_ / "certificates").string();
    const std::string make = std::string("bash '") + QUARLEN_SOURCE_DIR + "/tests/support/tls_certificates.sh' '" +
                             QUARLEN_SOURCE_DIR + "' '" + certificates + "'";
    if (program_.empty() || std::system(make.c_str()) != 0) return;
    for (const auto& [path, bytes] : files) {
      const auto file = folder_ / "root" / path.substr(1);
      std::filesystem::create_directories(file.parent_path());
      std::ofstream(file, std::ios::binary) << bytes;
    }
    std::filesystem::create_directories(folder_ / "tmp");
    const std::string f = folder_.string();
    std::ofstream conf(folder_ / "nginx.conf");
    conf << "daemon off;\nworker_processes 1;\npid " << f << "/nginx.pid;\nerror_log " << f << "/error.log warn;\n"
         << (::getuid() == 0 ? "user root root;\n" : "") << "events { worker_connections 32; }\nhttp {\n"
         << "  access_log " << f << "/access.log;\n  client_body_temp_path " << f << "/tmp;\n"
         << "  proxy_temp_path " << f << "/tmp;\n  fastcgi_temp_path " << f << "/tmp;\n"
         << "  uwsgi_temp_path " << f << "/tmp;\n  scgi_temp_path " << f << "/tmp;\n"
         << "  default_type text/plain;\n  keepalive_timeout 30;\n";
    const char* const names[] = {"server", "stranger", "expired", "othername"};
    // One port more for plain HTTP.
    const std::vector<int> ports = UnusedPorts(std::size(names) + 1);
    ports_["plain"] = ports.back();
    for (std::size_t i = 0; i < std::size(names); ++i) {
      const char* name = names[i];
      const int port = ports_[name] = ports[i];
      // Plain HTTP on a port of its own beside the good certificate.
      conf << "  server {\n    listen 127.0.0.1:" << port << " ssl;\n    root " << f << "/root;\n";
      if (std::string(name) == "server") {
        conf << "    listen 127.0.0.1:" << ports_["plain"] << ";\n";
      }
      conf << "    ssl_certificate " << certificates << "/" << name << ".pem;\n"
           << "    ssl_certificate_key " << certificates << "/" << name << ".key;\n"
           << "    ssl_protocols TLSv1.2 TLSv1.3;\n"
           << "    add_header Set-Cookie \"session=tls; Secure\";\n"
           // What the request looked like inside TLS, and which connection carried it.
           << "    location = /echo { return 200 \"$http_host|$ssl_server_name|$connection|$http_cookie\"; }\n  }\n";
    }
    conf << "}\n";
    conf.close();
    caFile_ = certificates + "/ca.pem";
    pid_ = SpawnProgram({program_, "-p", f + "/", "-c", f + "/nginx.conf", "-e", f + "/error.log"});
    for (const auto& [name, port] : ports_) {
      if (!AwaitListening(pid_, port)) {
        EndProgram(pid_);
        pid_ = 0;
        break;
      }
    }
  }
  ~TlsNginx() { EndProgram(pid_); }
  TlsNginx(const TlsNginx&) = delete;
  TlsNginx& operator=(const TlsNginx&) = delete;

  bool Running() const { return pid_ != 0; }
  int Port(const std::string& certificate) const { return ports_.at(certificate); }
  const std::string& CaFile() const { return caFile_; }
  // The folder the certificates are in (stranger-ca.pem, the untrusted authority, too).
  std::string CertificateFolder() const { return (folder_ / "certificates").string(); }

 private:
  std::string program_;
  std::filesystem::path folder_;
  std::map<std::string, int> ports_;
  std::string caFile_;
  pid_t pid_ = 0;
};

}  // namespace quarlen::testhttp
