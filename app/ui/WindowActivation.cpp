#include "app/ui/WindowActivation.h"

#include <QGuiApplication>
#include <QWidget>

namespace quarlen {

void UseActivationToken(QWidget& window, const QString& token) {
  if (token.isEmpty() || !QGuiApplication::platformName().startsWith(QLatin1String("wayland"))) return;
  // Qt's Wayland client reads the token from the launch environment before
  // it asks the compositor to activate a window.
  qputenv("XDG_ACTIVATION_TOKEN", token.toUtf8());
  (void)window;
}

}  // namespace quarlen
