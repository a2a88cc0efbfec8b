#pragma once
// The text the user sees for a failed socket call.
#include <string>

namespace quarlen {

// The Winsock description of a Windows socket error number ("Connection
// refused." for 10061); the empty text for a number it does not know.
std::string WinsockErrorText(int number);

// "Socket Error # " + number + CR LF + the description: on Windows
// WinsockErrorText of the number, else (and for numbers it does not know)
// systemText, the system's own text for it.
std::string SocketErrorMessage(int number, const std::string& systemText);

}  // namespace quarlen
