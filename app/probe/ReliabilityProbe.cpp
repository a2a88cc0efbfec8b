#include "app/probe/ReliabilityProbe.h"

#include <fcntl.h>
#include <unistd.h>
#include <QAction>
#include <QMenu>
#include <QSocketNotifier>
#include <algorithm>
#include <csignal>
#include <cstdio>
#include <ctime>
#include <string>
#include <system_error>
#include <utility>

#include "app/ui/TfrmMainForm.h"
#include "feeds/ArticleStore.h"

namespace quarlen {

namespace {
int signalPipe[2] = {-1, -1};

void OnProbeSignal(int signal) {
  const unsigned char byte = static_cast<unsigned char>(signal);
  [[maybe_unused]] ssize_t written = ::write(signalPipe[1], &byte, 1);
}

long long MonotonicUs() {
  timespec now{};
  ::clock_gettime(CLOCK_MONOTONIC, &now);
  return static_cast<long long>(now.tv_sec) * 1000000 + now.tv_nsec / 1000;
}

long long MonotonicMs() { return MonotonicUs() / 1000; }

// One write per line straight to the descriptor: no stdio buffer that a kill
// could lose, and no line torn in two.
void Say(const std::string& line) {
  const std::string text = line + "\n";
  [[maybe_unused]] ssize_t written = ::write(STDOUT_FILENO, text.data(), text.size());
}
}  // namespace

ReliabilityProbe::ReliabilityProbe(TfrmMainForm& form, const ArticleStore& store, std::function<bool()> cycleBusy)
    : QObject(&form), form_(form), cycleBusy_(std::move(cycleBusy)) {
  if (::pipe2(signalPipe, O_CLOEXEC | O_NONBLOCK) != 0) throw std::system_error(errno, std::generic_category());
  struct sigaction action {};
  action.sa_handler = OnProbeSignal;
  action.sa_flags = SA_RESTART;
  sigemptyset(&action.sa_mask);
  sigaction(SIGUSR1, &action, nullptr);
  sigaction(SIGUSR2, &action, nullptr);
  notifier_ = new QSocketNotifier(signalPipe[0], QSocketNotifier::Read, this);
  connect(notifier_, &QSocketNotifier::activated, this, [this] { OnSignal(); });

  // The status text is a permanent label, not a temporary message of the
  // status bar, so it is followed through the window's own status port.
  form_.AddStatusObserver([](const std::string& text) {
    if (text.empty()) return;
    std::string line = text;
    std::replace_if(
        line.begin(), line.end(), [](char c) { return c == '\r' || c == '\n'; }, ' ');
    Say("status " + std::to_string(MonotonicMs()) + " " + line);
  });

  // A precise timer fires at every chance the event loop gets; the time
  // between two firings is the time no window message could be handled.
  gapTimer_.setTimerType(Qt::PreciseTimer);
  gapTimer_.setInterval(5);
  connect(&gapTimer_, &QTimer::timeout, this, [this] { Tick(); });

  Say("loaded " + std::to_string(MonotonicMs()) + " url=" + std::to_string(store.url.size()) +
      " ticker=" + std::to_string(store.ticker.size()) + " subject=" + std::to_string(store.subject.size()) +
      " description=" + std::to_string(store.description.size()) + " date=" + std::to_string(store.date.size()) +
      " read=" + std::to_string(store.read.size()) + " latest=" + std::to_string(store.latest.size()) +
      " latest_subject=" + std::to_string(store.latest_subject.size()) + " charts=" +
      std::to_string(store.jvilCharts.size()) + " refresh_charts=" + std::to_string(store.jvilRefreshCharts.size()));
}

ReliabilityProbe::~ReliabilityProbe() {
  signal(SIGUSR1, SIG_DFL);
  signal(SIGUSR2, SIG_DFL);
}

void ReliabilityProbe::OnSignal() {
  unsigned char byte = 0;
  while (::read(signalPipe[0], &byte, 1) == 1) {
    if (byte == SIGUSR1) {
      CheckForNewMessages();
    } else if (byte == SIGUSR2) {
      form_.HideToTray();
      Say("hidden " + std::to_string(MonotonicMs()) + " visible=" + std::to_string(form_.isVisible()));
    }
  }
}

void ReliabilityProbe::CheckForNewMessages() {
  // The tray menu's own action, so the command runs exactly as a click would.
  QAction* command = nullptr;
  for (QAction* action : form_.findChild<QMenu*>(QStringLiteral("PopupMenu1"))->actions()) {
    // The caption without its access-key mark.
    if (QString(action->text()).remove(QLatin1Char('&')) == QStringLiteral("Check For New Messages")) command = action;
  }
  if (command == nullptr) {
    Say("error no Check For New Messages command");
    return;
  }
  if (cycleRunning_) return;  // the command would find the cycle busy and do nothing
  cycleBegin_ = MonotonicMs();
  Say("cycle-begin " + std::to_string(cycleBegin_));
  longestGapMs_ = 0;
  sinceTick_.start();
  gapTimer_.start();
  cycleRunning_ = true;
  // Returns at once; the cycle's steps run as its requests end, and the
  // timer's ticks look for its end.
  command->trigger();
  Tick();
}

void ReliabilityProbe::Tick() {
  longestGapMs_ = std::max(longestGapMs_, sinceTick_.restart());
  if (cycleRunning_ && !(cycleBusy_ && cycleBusy_())) EndCycle();
}

void ReliabilityProbe::EndCycle() {
  cycleRunning_ = false;
  gapTimer_.stop();
  const long long end = MonotonicMs();
  Say("cycle-end " + std::to_string(end) + " " + std::to_string(end - cycleBegin_) + " " +
      std::to_string(longestGapMs_));
}

LatenessTicker::LatenessTicker(int intervalMs, QObject* parent) : QObject(parent) {
  // A precise timer, so the figure is the event loop's delay and not the
  // coarse timer's allowed slack of 5 %.
  timer_.setTimerType(Qt::PreciseTimer);
  timer_.setInterval(intervalMs);
  connect(&timer_, &QTimer::timeout, this, [this] { Tick(); });
  previousUs_ = MonotonicUs();
  timer_.start();
}

void LatenessTicker::Tick() {
  // Qt schedules a late repeating timer's next tick one interval after the
  // late one, so each tick is measured from the one before it.
  const long long now = MonotonicUs();
  const long long late = std::max(0LL, now - previousUs_ - timer_.interval() * 1000LL);
  previousUs_ = now;
  Say("late " + std::to_string(now / 1000) + " " + std::to_string(late));
}

}  // namespace quarlen
