#pragma once
// The program's one ICommandRunner: every timer tick, menu command, tray
// click and window event runs its work here.
#include <QString>
#include <functional>

#include "platform/UiPorts.h"

namespace quarlen {

class CommandRunner : public ICommandRunner {
 public:
  // showError shows the text of a failure no operation handled; null: the
  // application's error box.
  explicit CommandRunner(std::function<void(const QString&)> showError = nullptr);

  // Runs the work unless Stop was called; what it throws is shown and the
  // program goes on. Empty work does nothing.
  void Run(const std::function<void()>& work) override;
  // From now on nothing runs: the program is ending.
  void Stop() { stopped_ = true; }
  bool Stopped() const { return stopped_; }

 private:
  std::function<void(const QString&)> showError_;
  bool stopped_ = false;
};

}  // namespace quarlen
