#pragma once
// How new articles reach the desktop. Stands between the refresh cycle and the
// main window: the balloon goes out as a desktop notification whose click is
// the balloon click, the sound is the desktop's event sound where the window
// system has no beep, a window that can't come forward asks for attention,
// and the tray icon follows StatusNotifierItem panels. Built without the
// Linux desktop's services (QUARLEN_LINUX_DESKTOP=0), it is the window's own:
// Qt's tray icon and balloon, QApplication::beep, raise and activateWindow.
#include <QObject>
#include <QString>
#include <chrono>
#include <memory>

#include "platform/UiPorts.h"

#ifndef QUARLEN_LINUX_DESKTOP
#error "QUARLEN_LINUX_DESKTOP must be 0 or 1: link app_ui, which defines it"
#endif
#if QUARLEN_LINUX_DESKTOP
#include <QDBusConnection>

#include "app/ui/desktop/DesktopNotifier.h"
#include "app/ui/desktop/EventSound.h"
#include "app/ui/desktop/StatusNotifierWatch.h"
#endif

namespace quarlen {

class TfrmMainForm;

class DesktopIntegration : public QObject, public ITrayIcon, public IMainWindow, public IFeedAge {
  Q_OBJECT

 public:
  // form: the main window, with its tray icon made, which outlives this
  // object; run: where the clicks' work runs; bus: the session bus (one that
  // is not connected leaves Qt's balloon and tray as they are).
#if QUARLEN_LINUX_DESKTOP
  DesktopIntegration(TfrmMainForm& form, ICommandRunner& run, QDBusConnection bus);
#else
  DesktopIntegration(TfrmMainForm& form, ICommandRunner& run);
#endif

  // ITrayIcon: the icon goes to the window's tray icon and to the panel; the
  // balloon is a desktop notification, Qt's balloon where no server answers.
  void SetIconIndex(int index) override;
  void ShowBalloon(const std::string& title, const std::string& text) override;
  // IMainWindow: as the window does, but the sound and the bringing forward as above.
  void Beep() override;
  void ShowFromTray() override;
  void BringToFront() override;
  void SetTickerText(const std::string& text) override;
  void EndProgramNow() override;
  // IFeedAge: the window's age field and tooltip, and the panel's tooltip.
  void FeedRead(std::chrono::system_clock::time_point when) override;
  void RefreshFailed() override;

  // Shows the window and brings it forward, with the activation token the
  // desktop handed over (a notification click, a later start); where the
  // window system keeps it back, the window asks for attention.
  void ShowWindow(const QString& activationToken);
  // Shows the tray icon the desktop can show (the window's CompleteStartup does
  // it through here).
  void ShowTrayIcon();
  // Whether a notification area shows the icon at this moment.
  bool TrayShowsIcon() const;

#if QUARLEN_LINUX_DESKTOP
  DesktopNotifier& Notifier() { return notifier_; }
#endif

 private:
  TfrmMainForm& form_;
  ICommandRunner& run_;
#if QUARLEN_LINUX_DESKTOP
  void NotificationClicked(const QString& activationToken);
  void AskForAttentionUnlessActive();

  DesktopNotifier notifier_;
  EventSound sound_;
  StatusNotifierWatch watch_;
#endif
};

// The desktop integration on the services this build uses (the session bus
// with the Linux desktop's).
std::unique_ptr<DesktopIntegration> MakeDesktopIntegration(TfrmMainForm& form, ICommandRunner& run);

}  // namespace quarlen
