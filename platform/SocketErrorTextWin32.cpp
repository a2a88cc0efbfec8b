#include "platform/SocketErrorText.h"

namespace quarlen {

std::string SocketErrorMessage(int number, const std::string& systemText) {
  const std::string winsock = WinsockErrorText(number);
  return "Socket Error # " + std::to_string(number) + "\r\n" + (winsock.empty() ? systemText : winsock);
}

}  // namespace quarlen
