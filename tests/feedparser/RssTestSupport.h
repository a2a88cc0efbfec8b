#pragma once

// Shared steps of the feed library tests: load, activate and parse a text
// the way the refresh cycle does.

#include "feedparser/SimpleRSS.h"

#include <exception>
#include <fstream>
#include <sstream>
#include <string>

namespace quarlen::test {

inline void LoadAndParse(TSimpleRSS& rss, std::string text) {
  rss.LoadFromString(std::move(text));
  rss.XMLFile().SetActive(true);
  rss.Parse();
}

// The message of the failure, empty when the text was read.
inline std::string ParseFailure(TSimpleRSS& rss, std::string text) {
  try {
    LoadAndParse(rss, std::move(text));
  } catch (const std::exception& e) {
    return e.what();
  }
  return {};
}

// An RSS 2.0 document whose channel has its three required elements
// followed by body.
inline std::string RssWith(const std::string& body) {
  return "<rss version=\"2.0\"><channel><title>T</title><link>http://127.0.0.1/</link>"
         "<description>D</description>" +
         body + "</channel></rss>";
}

inline std::string ReadTestFile(const std::string& relative) {
  std::ifstream file(std::string(QUARLEN_SOURCE_DIR) + "/tests/feedparser/" + relative, std::ios::binary);
  std::ostringstream bytes;
  bytes << file.rdbuf();
  return bytes.str();
}

}  // namespace quarlen::test
