#pragma once
// Bringing a window forward with the activation token a desktop handed the
// program (a notification click, a later start from the launcher). Wayland
// lets a window take the focus only with such a token, and Qt 6.4 offers no
// way to pass one on, so the token goes to the compositor directly
// (xdg-activation).
#include <QString>

class QWidget;

namespace quarlen {

// Asks the compositor to activate the shown window with the token. False
// where that can't be done: an empty token, not on Wayland, a window not
// shown, or a compositor without xdg-activation.
bool ActivateWithToken(QWidget& window, const QString& token);

}  // namespace quarlen
