#include "app/ui/QuarlenApplication.h"

#include <QMessageBox>
#include <exception>

namespace quarlen {

QuarlenApplication::QuarlenApplication(int& argc, char** argv) : QApplication(argc, argv) {
  // No display name: Qt would append it to every window caption.
  setApplicationName("Quarlen Messenger");
  setOrganizationName("Quarlen");
  // The window lives on in the notification area; only Exit ends the program.
  setQuitOnLastWindowClosed(false);
}

bool QuarlenApplication::notify(QObject* receiver, QEvent* event) {
  // Nothing the program does throws through here (TfrmMainForm::Run catches
  // first); this only keeps a stray exception from ending the program.
  try {
    return QApplication::notify(receiver, event);
  } catch (const std::exception& error) {
    ShowError(QString::fromUtf8(error.what()));
  } catch (...) {
    ShowError(QStringLiteral("Unknown error"));
  }
  return false;
}

bool QuarlenApplication::event(QEvent* event) {
  // Qt would close every window and leave the loop with the timers still
  // running and the saves cut off; the program's own exit waits for them.
  if (event->type() == QEvent::Quit && quitRequest_) {
    quitRequest_();
    return true;
  }
  return QApplication::event(event);
}

void QuarlenApplication::ShowError(const QString& text) {
  QMessageBox box(QMessageBox::Critical, QStringLiteral("Quarlen Messenger"), text, QMessageBox::Ok);
  box.exec();
}

}  // namespace quarlen
