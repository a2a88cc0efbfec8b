#pragma once
// IUrlOpener on the user's browser program.
#include <string>

#include "platform/UiPorts.h"

namespace quarlen {

class BrowserUrlOpener : public IUrlOpener {
 public:
  // browserPath: the program that opens URLs; empty: URLs open nowhere.
  explicit BrowserUrlOpener(std::string browserPath) : browserPath_(std::move(browserPath)) {}

  // Starts the browser detached with the URL as its one argument.
  void OpenUrl(const std::string& url) override;

 private:
  std::string browserPath_;
};

}  // namespace quarlen
