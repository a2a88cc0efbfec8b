#include "service/ServiceCalls.h"

#include <algorithm>
#include <utility>
#include <vector>

#include "platform/AsciiText.h"
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
                           ClientProfile applyProfile, NetworkContext network, ServiceCallPorts ports)
    : endpoints_(std::move(endpoints)),
      programVersion_(std::move(programVersion)),
      contactEmail_(std::move(contactEmail)),
      applyProfile_(std::move(applyProfile)),
      network_(network),
      ports_(ports) {}

ServiceCalls::~ServiceCalls() = default;

void ServiceCalls::PingServer(PingDone done) {
  ports_.statusBar.SetStatusText(ConnectedStatus);
  // A client of its own for every ping: no cookie and no connection outlives
  // the check, and a client that is busy elsewhere is never touched. The
  // banner, the channels and the refresh cycle may each have one out.
  pings_.push_back(std::make_unique<THttpClient>(THttpClientKind::ConnectivityCheck, network_.loop, network_.ui));
  const auto mine = std::prev(pings_.end());
  if (applyProfile_) applyProfile_(**mine);
  (*mine)->AsyncGet(endpoints_.PingUrl(programVersion_, contactEmail_),
                    [this, mine, done = std::move(done)](const std::exception_ptr& failure, const std::string&) {
                      // The client goes once this completion ends; it is not
                      // needed for anything after it.
                      const std::unique_ptr<THttpClient> finished = std::move(*mine);
                      pings_.erase(mine);
                      if (failure) ports_.statusBar.SetStatusText(FailureText(failure));
                      if (done) done(!failure);
                    });
}

void ServiceCalls::CheckForUpdates() {
  // The question box is modal but timers keep firing behind it; one check at
  // a time keeps a second question (and a second end of the program) away.
  if (checking_) return;
  checking_ = true;
  try {
    PingServer([this](bool answered) { AfterUpdatePing(answered); });
  } catch (...) {
    EndUpdateCheck();
    throw;
  }
}

void ServiceCalls::AfterUpdatePing(bool answered) {
  if (!answered) return EndUpdateCheck();
  // The main client may be waiting for the feed or a chart right now; the
  // check therefore brings its own client.
  try {
    updateClient_ = std::make_unique<THttpClient>(THttpClientKind::MainClient, network_.loop, network_.ui);
    if (applyProfile_) applyProfile_(*updateClient_);
    updateClient_->AsyncGet(endpoints_.VersionUrl(), [this](const std::exception_ptr& failure,
                                                            const std::string& body) { OnVersion(failure, body); });
  } catch (...) {
    EndUpdateCheck();
    throw;
  }
}

void ServiceCalls::OnVersion(const std::exception_ptr& failure, const std::string& newest) {
  // A failed version file counts as no newer version.
  bool asked = false;
  try {
    if (!failure && OffersNewerVersion(programVersion_, newest) &&
        ports_.messageBoxes.Confirm(UpdateQuestionTitle, UpdateQuestion)) {
      asked = true;
      updateClient_->AsyncGet(
          endpoints_.DownloadAddressUrl(),
          [this](const std::exception_ptr& fault, const std::string& body) { OnDownloadAddress(fault, body); });
    }
  } catch (...) {
    EndUpdateCheck();
    throw;
  }
  if (!asked) EndUpdateCheck();
}

void ServiceCalls::OnDownloadAddress(const std::exception_ptr& failure, const std::string& body) {
  std::optional<std::string> address;
  if (!failure) address = DownloadAddressFromBody(body);
  // Without an address the browser can open, ending the program would leave
  // the user with neither the old version running nor a download.
  if (!address) return EndUpdateCheck();
  try {
    ports_.urlOpener.OpenUrl(*address);
  } catch (...) {
    EndUpdateCheck();
    throw;
  }
  EndUpdateCheck();
  // Last of all: ending the program may destroy this object.
  ports_.mainWindow.EndProgramNow();
}

void ServiceCalls::EndUpdateCheck() {
  checking_ = false;
  // Also from inside the client's own completion: the network side keeps
  // what it still needs alive by itself.
  updateClient_.reset();
}

}  // namespace quarlen
