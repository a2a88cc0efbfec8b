#include "feeds/ListFile.h"

#include <system_error>

#include "platform/AtomicFile.h"
#include "platform/FileSystem.h"

namespace quarlen {

std::vector<std::string> ParseListText(std::string_view bytes) {
  // A byte 0 ends the text: whatever follows it is not part of the list.
  if (auto nul = bytes.find('\0'); nul != std::string_view::npos) bytes = bytes.substr(0, nul);

  std::vector<std::string> entries;
  std::size_t start = 0;
  std::size_t i = 0;
  while (i < bytes.size()) {
    const char c = bytes[i];
    if (c != '\r' && c != '\n') {
      ++i;
      continue;
    }
    entries.emplace_back(bytes.substr(start, i - start));
    i += (c == '\r' && i + 1 < bytes.size() && bytes[i + 1] == '\n') ? 2 : 1;
    start = i;
  }
  // The last line counts without a line end; after a final line end there is
  // no further entry.
  if (start < bytes.size()) entries.emplace_back(bytes.substr(start));
  return entries;
}

std::string FormatListText(const std::vector<std::string>& entries) {
  std::size_t size = 0;
  for (const auto& e : entries) size += e.size() + 2;
  std::string out;
  out.reserve(size);
  for (const auto& e : entries) {
    // A line break inside an entry would split it into two entries on the next
    // load and leave the lists of unequal length; a byte 0 would end the file.
    for (char c : e) out.push_back(c == '\r' || c == '\n' || c == '\0' ? ' ' : c);
    out += "\r\n";
  }
  return out;
}

std::optional<std::string> ReadWholeFile(const std::string& path) {
  try {
    return ReadWholeFileIfPresent(path);
  } catch (const std::system_error& e) {
    throw ListFileError("Cannot read file \"" + path + "\". " + e.code().message());
  }
}

std::optional<std::vector<std::string>> ReadListFile(const std::string& path) {
  auto bytes = ReadWholeFile(path);
  if (!bytes) return std::nullopt;
  return ParseListText(*bytes);
}

void WriteListFile(const std::string& path, const std::vector<std::string>& entries) {
  WriteFileAtomically(path, FormatListText(entries));
}

}  // namespace quarlen
