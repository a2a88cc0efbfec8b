#pragma once
// The application object. Every handler of the program runs through
// CommandRunner::Run, which shows failures itself; notify only catches what slips
// past that, as a last resort.
#include <QApplication>
#include <functional>

namespace quarlen {

class QuarlenApplication : public QApplication {
 public:
  QuarlenApplication(int& argc, char** argv);
  bool notify(QObject* receiver, QEvent* event) override;

  // A request to quit the event loop (the session manager's at logout, or
  // any quit()) runs handler instead, which ends the program its own way.
  void OnQuitRequest(std::function<void()> handler) { quitRequest_ = std::move(handler); }

  // The error box: a failure no operation handled, shown with its text.
  static void ShowError(const QString& text);

 protected:
  bool event(QEvent* event) override;

 private:
  std::function<void()> quitRequest_;
};

}  // namespace quarlen
