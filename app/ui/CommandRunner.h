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
  // application's error box. exitError reports a failure once the exit has
  // begun; null: standard error.
  explicit CommandRunner(std::function<void(const QString&)> showError = nullptr,
                         std::function<void(const QString&)> exitError = nullptr);

  // Runs the work unless the exit has begun; what it throws is shown and the
  // program goes on. Empty work does nothing.
  void Run(const std::function<void()>& work) override;
  // The runner of the UI thread's queued tasks (request completions, the
  // saves' reports): they go on running once the exit has begun, until Stop.
  ICommandRunner& QueuedTasks() { return tasks_; }

  // The exit has begun: commands run no more; queued tasks still run, and
  // what they throw goes to exitError, since no box is read any more.
  void BeginExit() { exiting_ = true; }
  // From now on nothing runs: the program is ending.
  void Stop() { stopped_ = exiting_ = true; }
  bool Exiting() const { return exiting_; }
  bool Stopped() const { return stopped_; }

 private:
  class TaskRunner : public ICommandRunner {
   public:
    explicit TaskRunner(CommandRunner& owner) : owner_(owner) {}
    void Run(const std::function<void()>& work) override { owner_.RunTask(work); }

   private:
    CommandRunner& owner_;
  };

  void RunTask(const std::function<void()>& work);
  void Guarded(const std::function<void()>& work, const std::function<void(const QString&)>& report);

  std::function<void(const QString&)> showError_;
  std::function<void(const QString&)> exitError_;
  TaskRunner tasks_{*this};
  bool exiting_ = false;
  bool stopped_ = false;
};

}  // namespace quarlen
