#pragma once
// The two service calls to the feed server: the usage ping, which is also the
// connectivity check before every refresh, banner and channel reload, and the
// update check, which offers a newer version announced by the server.
#include <functional>
#include <optional>
#include <string>
#include <string_view>

#include "net/HttpClient.h"
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
  // pump keeps the window alive while a request waits (see THttpClient).
  ServiceCalls(ServerEndpoints endpoints, std::string programVersion, std::string contactEmail,
               ClientProfile applyProfile, THttpClient::MessagePump pump, ServiceCallPorts ports);

  // The usage ping on a connectivity-check client of its own: sets the status
  // text "Connected", requests the ping address and returns true when the
  // server answered with success; otherwise sets the status text to the
  // failure's message and returns false. Exceptions of the pump pass through.
  bool PingServer();

  // Pings; when the server answers, fetches "version.txt" on a client of its
  // own (never one with a request under way) and, for a newer version, asks
  // the "Confirm" question. After "Yes" and a good "dlurl.txt" it opens that
  // address and ends the program. Failures are silent and keep the program
  // running. A call made while another one is still under way (a timer firing
  // while the question is open) returns at once.
  void CheckForUpdates();

 private:
  // The check up to the opening of the download address; true when the
  // program is to end.
  bool RunUpdateCheck();

  ServerEndpoints endpoints_;
  std::string programVersion_;
  std::string contactEmail_;
  ClientProfile applyProfile_;
  THttpClient::MessagePump pump_;
  ServiceCallPorts ports_;
  bool checking_ = false;
};

}  // namespace quarlen
