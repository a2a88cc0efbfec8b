#include "app/ui/DesktopIntegration.h"

#include <QApplication>
#include <QDBusConnection>
#include <QGuiApplication>
#include <QTimer>

#include "app/ui/TfrmMainForm.h"
#include "app/ui/desktop/WindowActivation.h"
#include "platform/ui/QtText.h"

namespace quarlen {

namespace {
// The names the package installs: the icon in the hicolor theme and the menu entry.
const QString InstalledName = QStringLiteral("quarlen-messenger");
// How long a window manager may take to hand the focus over before the
// window asks for attention instead.
constexpr int FocusWaitMs = 700;

bool OnWayland() { return QGuiApplication::platformName().startsWith(QLatin1String("wayland")); }
}  // namespace

std::unique_ptr<DesktopIntegration> MakeDesktopIntegration(TfrmMainForm& form, ICommandRunner& run) {
  return std::make_unique<DesktopIntegration>(form, run, QDBusConnection::sessionBus());
}

DesktopIntegration::DesktopIntegration(TfrmMainForm& form, ICommandRunner& run, QDBusConnection bus)
    : form_(form),
      run_(run),
      notifier_(bus, {QStringLiteral("Quarlen Messenger"), InstalledName, InstalledName}),
      // Qt's Wayland client has no beep at all; X11 keeps its bell.
      sound_(OnWayland(), [&form] { form.Beep(); }),
      watch_(bus, form.JvTrayIcon1(), [this] { run_.Run([this] { ShowWindow(QString()); }); }) {
  // Through the window's runner, like every click: what the click throws (a
  // link that can't be encoded) is shown, and the program goes on.
  connect(&notifier_, &DesktopNotifier::Clicked, this,
          [this](const QString& token) { run_.Run([this, &token] { NotificationClicked(token); }); });
}

void DesktopIntegration::ShowTrayIcon() { watch_.ShowIcon(); }

bool DesktopIntegration::TrayShowsIcon() const { return watch_.TrayShowsIcon(); }

void DesktopIntegration::SetIconIndex(int index) {
  form_.SetIconIndex(index);
  watch_.IconChanged();
}

void DesktopIntegration::FeedRead(std::chrono::system_clock::time_point when) {
  form_.FeedRead(when);
  watch_.ToolTipChanged();
}

void DesktopIntegration::RefreshFailed() {
  form_.RefreshFailed();
  watch_.ToolTipChanged();
}

void DesktopIntegration::ShowBalloon(const std::string& title, const std::string& text) {
  notifier_.Notify(ToQString(title), ToQString(text), [this, title, text] { form_.ShowBalloon(title, text); });
}

void DesktopIntegration::Beep() { sound_.Play(); }

void DesktopIntegration::ShowFromTray() { form_.ShowFromTray(); }

void DesktopIntegration::BringToFront() {
  form_.BringToFront();
  // Wayland: raise() does nothing without a token, so the program asks for one.
  ActivateWithOwnToken(form_);
  AskForAttentionUnlessActive();
}

void DesktopIntegration::SetTickerText(const std::string& text) { form_.SetTickerText(text); }

void DesktopIntegration::EndProgramNow() { form_.EndProgramNow(); }

void DesktopIntegration::ShowWindow(const QString& activationToken) {
  form_.ShowFromTray();
  // Shown first: the compositor activates a surface, and a hidden window has none.
  // Servers that hand over no token (GNOME Shell 43): a token of the
  // program's own, which the compositor honours or turns into a request for
  // attention.
  if (!ActivateWithToken(form_, activationToken)) ActivateWithOwnToken(form_);
  AskForAttentionUnlessActive();
}

void DesktopIntegration::NotificationClicked(const QString& activationToken) {
  // The window comes forward where the desktop handed a token over for it, and
  // where no tray icon shows (a minimised window would otherwise stay lost);
  // first, so the browser opened next lands on top of it.
  if (!activationToken.isEmpty() || !TrayShowsIcon()) ShowWindow(activationToken);
  form_.JvTrayIcon1BalloonClick();
}

void DesktopIntegration::AskForAttentionUnlessActive() {
  // Wayland never lets a client raise itself without a token, and focus
  // stealing prevention may keep the window back elsewhere too.
  QTimer::singleShot(FocusWaitMs, this, [this] {
    if (form_.isVisible() && !form_.isActiveWindow()) QApplication::alert(&form_);
  });
}

}  // namespace quarlen
