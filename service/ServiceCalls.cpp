#include "service/ServiceCalls.h"

#include <algorithm>
#include <utility>
#include <vector>

#include "platform/AsciiText.h"
#include "platform/ReentryGuard.h"
#include "platform/UiPorts.h"

namespace quarlen {
namespace {

// Trims white space at both ends, and a UTF-8 byte-order mark at the start,
// which an editor on another system may put before the text of a file.
std::string_view Trim(std::string_view text) {
  constexpr std::string_view Bom = "\xEF\xBB\xBF";
  if (text.substr(0, Bom.size()) == Bom) text.remove_prefix(Bom.size());
  return TrimAscii(text);
}

// The parts of a dotted version with their leading zeros removed, kept as
// digit strings so that no part is too long to compare; nullopt for any text
// that is not digits joined by single dots.
std::optional<std::vector<std::string_view>> ParseDottedVersion(std::string_view text) {
  std::vector<std::string_view> parts;
  std::size_t start = 0;
  while (true) {
    std::size_t end = start;
    while (end < text.size() && IsAsciiDigit(text[end])) ++end;
    if (end == start) return std::nullopt;
    std::string_view part = text.substr(start, end - start);
    while (part.size() > 1 && part.front() == '0') part.remove_prefix(1);
    parts.push_back(part);
    if (end == text.size()) return parts;
    if (text[end] != '.') return std::nullopt;
    start = end + 1;
  }
}

// -1, 0 or 1 for two parts without leading zeros.
int ComparePart(std::string_view a, std::string_view b) {
  if (a.size() != b.size()) return a.size() < b.size() ? -1 : 1;
  int c = a.compare(b);
  return c < 0 ? -1 : (c > 0 ? 1 : 0);
}

}  // namespace

bool OffersNewerVersion(std::string_view current, std::string_view body) {
  auto mine = ParseDottedVersion(Trim(current));
  auto announced = ParseDottedVersion(Trim(body));
  if (!mine || !announced) return false;
  std::size_t n = std::max(mine->size(), announced->size());
  for (std::size_t i = 0; i < n; ++i) {
    std::string_view a = i < mine->size() ? (*mine)[i] : "0";
    std::string_view b = i < announced->size() ? (*announced)[i] : "0";
    int c = ComparePart(a, b);
    if (c != 0) return c < 0;
  }
  return false;
}

std::optional<std::string> DownloadAddressFromBody(std::string_view body) {
  std::string_view url = Trim(body);
  std::size_t schemeLength = 0;
  if (StartsWithIgnoringAsciiCase(url, "http://")) {
    schemeLength = 7;
  } else if (StartsWithIgnoringAsciiCase(url, "https://")) {
    schemeLength = 8;
  } else {
    return std::nullopt;
  }
  // The browser gets the address as one argument: a blank or a line break
  // inside would make it two addresses or a different one.
  for (char c : url) {
    auto byte = static_cast<unsigned char>(c);
    if (byte <= 0x20 || byte == 0x7F) return std::nullopt;
  }
  std::string_view rest = url.substr(schemeLength);
  if (rest.empty() || rest.front() == '/' || rest.front() == '?' || rest.front() == '#' || rest.front() == ':' ||
      rest.front() == '@') {
    return std::nullopt;
  }
  return std::string(url);
}

ServiceCalls::ServiceCalls(ServerEndpoints endpoints, std::string programVersion, std::string contactEmail,
                           ClientProfile applyProfile, THttpClient::MessagePump pump, ServiceCallPorts ports)
    : endpoints_(std::move(endpoints)),
      programVersion_(std::move(programVersion)),
      contactEmail_(std::move(contactEmail)),
      applyProfile_(std::move(applyProfile)),
      pump_(std::move(pump)),
      ports_(ports) {}

bool ServiceCalls::PingServer() {
  ports_.statusBar.SetStatusText(ConnectedStatus);
  // A client of its own for every ping: no cookie and no connection outlives
  // the check, and a client that is busy elsewhere is never touched.
  THttpClient client(THttpClientKind::ConnectivityCheck, pump_);
  if (applyProfile_) applyProfile_(client);
  try {
    client.Get(endpoints_.PingUrl(programVersion_, contactEmail_));
    return true;
  } catch (const HttpError& e) {
    ports_.statusBar.SetStatusText(e.what());
    return false;
  }
}

void ServiceCalls::CheckForUpdates() {
  // The question box is modal but timers keep firing behind it; one check at
  // a time keeps a second question (and a second end of the program) away.
  bool end = false;
  {
    ReentryGuard guard(checking_);
    if (!guard.Entered()) return;
    end = RunUpdateCheck();
  }
  // Last of all: ending the program may destroy this object.
  if (end) ports_.mainWindow.EndProgramNow();
}

bool ServiceCalls::RunUpdateCheck() {
  if (!PingServer()) return false;

  // The main client may be waiting for the feed or a chart right now (the
  // ping pumps window messages); the check therefore brings its own client.
  THttpClient client(THttpClientKind::MainClient, pump_);
  if (applyProfile_) applyProfile_(client);
  std::string newest;
  try {
    newest = client.Get(endpoints_.VersionUrl());
  } catch (const HttpError&) {
    return false;  // as if there were no newer version
  }
  if (!OffersNewerVersion(programVersion_, newest)) return false;

  if (!ports_.messageBoxes.Confirm(UpdateQuestionTitle, UpdateQuestion)) return false;

  std::string body;
  try {
    body = client.Get(endpoints_.DownloadAddressUrl());
  } catch (const HttpError&) {
    return false;
  }
  std::optional<std::string> address = DownloadAddressFromBody(body);
  // Without an address the browser can open, ending the program would leave
  // the user with neither the old version running nor a download.
  if (!address) return false;
  ports_.urlOpener.OpenUrl(*address);
  return true;
}

}  // namespace quarlen
