#pragma once
// The application object. Every handler of the program runs through
// CommandRunner::Run, which shows failures itself; notify only catches what slips
// past that, as a last resort.
#include <QApplication>

namespace quarlen {

class QuarlenApplication : public QApplication {
 public:
  QuarlenApplication(int& argc, char** argv);
  bool notify(QObject* receiver, QEvent* event) override;

  // The error box: a failure no operation handled, shown with its text.
  static void ShowError(const QString& text);
};

}  // namespace quarlen
