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

// Where no token was handed over: asks the compositor for a token of the
// program's own and activates the shown window with it. Compositors that
// hold such a request back mark the window as asking for attention instead.
// False where it can't be done, as above.
bool ActivateWithOwnToken(QWidget& window);

}  // namespace quarlen
