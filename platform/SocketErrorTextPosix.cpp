#include "platform/SocketErrorText.h"

namespace quarlen {

std::string SocketErrorMessage(int number, const std::string& systemText) {
  return "Socket Error # " + std::to_string(number) + "\r\n" + systemText;
}

}  // namespace quarlen
