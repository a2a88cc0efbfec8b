#pragma once
// The two service calls to the feed server: the usage ping, which is also the
// connectivity check before every refresh, banner and channel reload, and the
// update check, which offers a newer version announced by the server.
#include <functional>
#include <list>
#include <memory>
#include <optional>
#include <string>
#include <string_view>

#include "net/HttpClient.h"
#include "net/NetworkLoop.h"
#include "service/PingCall.h"
#include "service/ServerEndpoints.h"

namespace quarlen {

class IStatusBar;
class IMessageBoxes;
class IUrlOpener;
class IMainWindow;

// The question of the update check, asked in the "Confirm" box.
inline constexpr const char* UpdateQuestion =
    "A new version of Quarlen Messenger is available. Do you want to download and install it now?";
inline constexpr const char* UpdateQuestionTitle = "Confirm";
// The status text set before every ping and kept when it succeeds.
inline constexpr const char* ConnectedStatus = "Connected";

// True when body, trimmed of white space, is a dotted version (whole numbers
// joined by single dots, "1.2.10.0") that is newer than current, comparing the
// parts one by one as numbers (a missing part counts as 0). A body that is no
// dotted version (an HTML page, an empty body) is never newer.
bool OffersNewerVersion(std::string_view current, std::string_view body);

// The download address of a "dlurl.txt" body: the body trimmed of white space,
// when it is one http:// or https:// URL with a host and no blank or control
// character in it; nullopt otherwise.
std::optional<std::string> DownloadAddressFromBody(std::string_view body);

// The window parts the calls reach; all outlive the ServiceCalls object.
struct ServiceCallPorts {
  IStatusBar& statusBar;
  IMessageBoxes& messageBoxes;  // Confirm: question icon, "Yes" and "No"
  IUrlOpener& urlOpener;
  IMainWindow& mainWindow;  // EndProgramNow ends the program as Exit does
};

class ServiceCalls {
 public:
  // Puts the agent string and the proxy settings on a client right before its
  // request (the program passes ApplyHttpProfile with the live settings).
  using ClientProfile = std::function<void(THttpClient&)>;

  // contactEmail is sent with every ping, unencoded; empty when none is known.
  // Every request runs on network's loop and ends on its UI thread.
  ServiceCalls(ServerEndpoints endpoints, std::string programVersion, std::string contactEmail,
               ClientProfile applyProfile, NetworkContext network, ServiceCallPorts ports);
  ~ServiceCalls();  // abandons the calls under way: their completions never run
  ServiceCalls(const ServiceCalls&) = delete;
  ServiceCalls& operator=(const ServiceCalls&) = delete;

  // The usage ping on a connectivity-check client of its own: sets the status
  // text "Connected", requests the ping address and returns at once. done
  // gets true when the server answered with success; otherwise the status
  // text is the failure's message first and done gets false.
  void PingServer(PingDone done);

  // Pings; when the server answers, fetches "version.txt" on a client of its
  // own (never one with a request under way) and, for a newer version, asks
  // the "Confirm" question. After "Yes" and a good "dlurl.txt" it opens that
  // address and ends the program. Failures are silent and keep the program
  // running. A call made while another one is still under way (a timer firing
  // while the question is open) returns at once.
  void CheckForUpdates();
  // True from CheckForUpdates to the end of its last step.
  bool CheckingForUpdates() const { return checking_; }

 private:
  void AfterUpdatePing(bool answered);
  void OnVersion(const std::exception_ptr& failure, const std::string& newest);
  void OnDownloadAddress(const std::exception_ptr& failure, const std::string& body);
  void EndUpdateCheck();

  ServerEndpoints endpoints_;
  std::string programVersion_;
  std::string contactEmail_;
  ClientProfile applyProfile_;
  NetworkContext network_;
  ServiceCallPorts ports_;
  std::list<std::unique_ptr<THttpClient>> pings_;  // one client per ping under way
  std::unique_ptr<THttpClient> updateClient_;      // the update check's, while it runs
  bool checking_ = false;
};

}  // namespace quarlen
