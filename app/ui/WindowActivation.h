#pragma once
// Handing a window the activation token a desktop gave the program (a
// notification click, a later start from the launcher), so that the next
// request to activate it is granted on Wayland.
#include <QString>

class QWidget;

namespace quarlen {

// Gives the token to the window's next activation. Does nothing for an empty
// token or off Wayland (X11 needs none).
void UseActivationToken(QWidget& window, const QString& token);

}  // namespace quarlen
