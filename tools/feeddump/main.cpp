// feeddump FILE: reads a feed file (FILE "-" is standard input) the way the
// program reads its downloaded feed and prints the result as JSON. Exits 0
// when the feed was read, 1 with an "error" member when it was not.

#include "FeedDump.h"

#include <cstdio>
#include <fstream>
#include <iostream>
#include <iterator>
#include <sstream>
#include <string>

namespace {

bool ReadAll(const std::string& path, std::string& text, std::string& error) {
  std::ostringstream bytes;
  if (path == "-") {
    bytes << std::cin.rdbuf();
  } else {
    std::ifstream file(path, std::ios::binary);
    if (!file) {
      error = "Cannot open \"" + path + "\"";
      return false;
    }
    bytes << file.rdbuf();
    if (file.bad()) {
      error = "Cannot read \"" + path + "\"";
      return false;
    }
  }
  text = bytes.str();
  return true;
}

}  // namespace

int main(int argc, char** argv) {
  if (argc != 2) {
    std::cerr << "usage: feeddump FILE   (FILE - reads standard input)\n";
    return 1;
  }
  std::string text;
  std::string readError;
  bool failed = false;
  nlohmann::ordered_json result;
  if (ReadAll(argv[1], text, readError)) {
    result = quarlen::DumpFeedText(std::move(text), failed);
  } else {
    quarlen::TSimpleRSS empty;
    result = quarlen::FeedToJson(empty);
    result["error"] = readError;
    failed = true;
  }
  // Feed text is not always valid UTF-8 (base64 content, for one); bad bytes
  // print as U+FFFD instead of ending the dump.
  std::cout << result.dump(2, ' ', false, nlohmann::ordered_json::error_handler_t::replace) << '\n';
  return failed ? 1 : 0;
}
