#pragma once
// The application object: any exception that reaches the event loop is shown
// in a message box and the program goes on.
#include <QApplication>

namespace quarlen {

class QuarlenApplication : public QApplication {
 public:
  QuarlenApplication(int& argc, char** argv);
  bool notify(QObject* receiver, QEvent* event) override;

  // Shows a failure's text the way unhandled errors are shown.
  static void ShowError(const QString& text);
};

}  // namespace quarlen
