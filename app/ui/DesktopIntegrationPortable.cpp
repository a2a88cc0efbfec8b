#include <QSystemTrayIcon>

#include "app/ui/DesktopIntegration.h"
#include "app/ui/TfrmMainForm.h"

namespace quarlen {

// Without the Linux desktop's services every call is the window's own, as on
// a desktop whose tray and balloon Qt serves natively (Windows).
std::unique_ptr<DesktopIntegration> MakeDesktopIntegration(TfrmMainForm& form, ICommandRunner& run) {
  return std::make_unique<DesktopIntegration>(form, run);
}

DesktopIntegration::DesktopIntegration(TfrmMainForm& form, ICommandRunner& run) : form_(form), run_(run) {}

// The balloon's click reaches the window through the tray icon's messageClicked.
void DesktopIntegration::ShowBalloon(const std::string& title, const std::string& text) {
  form_.ShowBalloon(title, text);
}

void DesktopIntegration::ShowTrayIcon() { form_.JvTrayIcon1().show(); }

bool DesktopIntegration::TrayShowsIcon() const {
  return form_.JvTrayIcon1().isVisible() && QSystemTrayIcon::isSystemTrayAvailable();
}

void DesktopIntegration::SetIconIndex(int index) { form_.SetIconIndex(index); }

void DesktopIntegration::FeedRead(std::chrono::system_clock::time_point when) { form_.FeedRead(when); }

void DesktopIntegration::RefreshFailed() { form_.RefreshFailed(); }

void DesktopIntegration::Beep() { form_.Beep(); }

void DesktopIntegration::ShowFromTray() { form_.ShowFromTray(); }

void DesktopIntegration::BringToFront() { form_.BringToFront(); }

void DesktopIntegration::SetTickerText(const std::string& text) { form_.SetTickerText(text); }

void DesktopIntegration::EndProgramNow() { form_.EndProgramNow(); }

// No activation token to pass on: the window comes forward as Qt brings it.
void DesktopIntegration::ShowWindow(const QString&) { form_.ShowFromTray(); }

}  // namespace quarlen
