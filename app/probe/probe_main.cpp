// The entry of quarlen-messenger-probe: the program as users run it, with the
// reliability probe attached before the event loop. QUARLEN_PROBE_FEED_DEADLINE_MS
// shortens the feed download's whole-transfer deadline, so a run can show a
// dripping server cut off without waiting the real ten minutes.
// QUARLEN_PROBE_LATENESS_MS starts a repeating tick of that many milliseconds
// with the application object, whose lateness the probe prints
// (bench/responsiveness).
#include <QCoreApplication>
#include <chrono>
#include <cstdlib>
#include <string>

#include "app/probe/ReliabilityProbe.h"
#include "app/ui/MessengerApp.h"
#include "app/ui/ProgramEntry.h"
#include "feeds/RefreshCycle.h"

namespace {
// Before the window is shown: showing it may already wait on the network.
void StartLatenessTicker() {
  if (const char* interval = std::getenv("QUARLEN_PROBE_LATENESS_MS"); interval && *interval) {
    new quarlen::LatenessTicker(std::stoi(interval), QCoreApplication::instance());
  }
}
}  // namespace
Q_COREAPP_STARTUP_FUNCTION(StartLatenessTicker)

int main(int argc, char** argv) {
  using namespace quarlen;
  return RunMessenger(argc, argv, [](MessengerApp& messenger) {
    if (const char* deadline = std::getenv("QUARLEN_PROBE_FEED_DEADLINE_MS"); deadline && *deadline) {
      messenger.Cycle().SetFeedDeadline(std::chrono::milliseconds(std::stoll(deadline)));
    }
    // Owned by the main window.
    new ReliabilityProbe(messenger.MainForm(), messenger.Store(), [&messenger] { return messenger.Cycle().Busy(); });
  });
}
