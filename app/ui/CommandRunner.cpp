#include "app/ui/CommandRunner.h"

#include <cstdio>
#include <exception>

#include "app/ui/QuarlenApplication.h"

namespace quarlen {

CommandRunner::CommandRunner(std::function<void(const QString&)> showError,
                             std::function<void(const QString&)> exitError)
    : showError_(showError ? std::move(showError) : [](const QString& text) { QuarlenApplication::ShowError(text); }),
      exitError_(exitError ? std::move(exitError) : [](const QString& text) {
        std::fprintf(stderr, "Quarlen Messenger: %s\n", text.toLocal8Bit().constData());
      }) {}

void CommandRunner::Run(const std::function<void()>& work) {
  // Once Exit has begun, no new work starts: the program is ending.
  if (!work || exiting_) return;
  Guarded(work, showError_);
}

void CommandRunner::RunTask(const std::function<void()>& work) {
  // During the exit the saves under way still report back through the queue,
  // and the marks and deletes waiting for them still run.
  if (!work || stopped_) return;
  Guarded(work, exiting_ ? exitError_ : showError_);
}

void CommandRunner::Guarded(const std::function<void()>& work, const std::function<void(const QString&)>& report) {
  // An exception thrown through Qt's signal and event delivery is undefined
  // behaviour, so every handler's failure stops here: shown as an error the
  // program did not expect, and the event loop goes on.
  try {
    work();
  } catch (const std::exception& error) {
    report(QString::fromUtf8(error.what()));
  } catch (...) {
    report(QStringLiteral("Unknown error"));
  }
}

}  // namespace quarlen
