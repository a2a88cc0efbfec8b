#pragma once
// A diagnostic companion for the reliability runs in tools/reliability: built
// only into the quarlen-messenger-probe executable, never into the program
// users run. It prints what the runs need to standard output, one line at a
// time and unbuffered (a kill -9 loses nothing already said):
//   loaded <mono_ms> url=N ticker=N ... charts=N   the store as the start-up read it
//   status <mono_ms> <text>                       every status bar text
//   cycle-begin <mono_ms> / cycle-end <mono_ms> <ms> <longest gap ms>
//   late <mono_ms> <us>        from a LatenessTicker: how late each tick fired
// and obeys two signals: SIGUSR1 runs "Check For New Messages" from the tray
// menu, SIGUSR2 hides the window into the tray. <mono_ms> is CLOCK_MONOTONIC.
#include <QElapsedTimer>
#include <QObject>
#include <QTimer>
#include <functional>

class QSocketNotifier;

namespace quarlen {

class ArticleStore;
class TfrmMainForm;

class ReliabilityProbe : public QObject {
 public:
  // Prints the loaded store at once and lives as long as form, its parent;
  // cycleBusy tells whether the refresh cycle still runs. Throws
  // std::system_error when the signal pipe can't be made.
  ReliabilityProbe(TfrmMainForm& form, const ArticleStore& store, std::function<bool()> cycleBusy);
  ~ReliabilityProbe() override;

 private:
  void OnSignal();
  void CheckForNewMessages();
  void Tick();
  void EndCycle();

  TfrmMainForm& form_;
  std::function<bool()> cycleBusy_;
  bool cycleRunning_ = false;
  long long cycleBegin_ = 0;
  QSocketNotifier* notifier_ = nullptr;
  QTimer gapTimer_;
  QElapsedTimer sinceTick_;
  qint64 longestGapMs_ = 0;
};

// A repeating precise tick of intervalMs from its construction on, each tick
// printed as a "late" line; made with the application object, so it runs
// while the window's start-up still waits on the network.
class LatenessTicker : public QObject {
 public:
  LatenessTicker(int intervalMs, QObject* parent);

 private:
  void Tick();

  QTimer timer_;
  long long previousUs_ = 0;
};

}  // namespace quarlen
