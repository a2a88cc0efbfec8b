#include "app/ui/CommandRunner.h"

#include <exception>

#include "app/ui/QuarlenApplication.h"

namespace quarlen {

CommandRunner::CommandRunner(std::function<void(const QString&)> showError)
    : showError_(showError ? std::move(showError) : [](const QString& text) { QuarlenApplication::ShowError(text); }) {}

void CommandRunner::Run(const std::function<void()>& work) {
  // Once Exit has begun, the objects a command reads may already be gone.
  if (!work || stopped_) return;
  // An exception thrown through Qt's signal and event delivery is undefined
  // behaviour, so every handler's failure stops here: shown as an error the
  // program did not expect, and the event loop goes on.
  try {
    work();
  } catch (const std::exception& error) {
    showError_(QString::fromUtf8(error.what()));
  } catch (...) {
    showError_(QStringLiteral("Unknown error"));
  }
}

}  // namespace quarlen
