#pragma once
// The list files of the article store: plain text, one entry per line.
// Written with CR LF after every entry (an empty list is an empty file); read
// with CR LF, a lone CR or a lone LF as line end, a last line without line end
// still counts, a final line end adds no empty entry, and a byte 0 ends the text.
#include <optional>
#include <stdexcept>
#include <string>
#include <string_view>
#include <vector>

namespace quarlen {

// A list file exists but cannot be read; the message is the text the user sees.
class ListFileError : public std::runtime_error {
 public:
  using std::runtime_error::runtime_error;
};

// Splits the bytes of a list file into its entries.
std::vector<std::string> ParseListText(std::string_view bytes);

// The bytes of a list file holding these entries. A CR, LF or byte 0 inside an
// entry becomes a space, so every entry stays on its own line.
std::string FormatListText(const std::vector<std::string>& entries);

// Reads a list file; nullopt when the file does not exist, ListFileError when
// it exists but cannot be read.
std::optional<std::vector<std::string>> ReadListFile(const std::string& path);

// Writes a list file through a temporary file and a rename; throws
// FileWriteError (platform/AtomicFile.h) when that fails.
void WriteListFile(const std::string& path, const std::vector<std::string>& entries);

// Reads a whole file; nullopt when it does not exist, ListFileError when it
// cannot be read. Shared by the list files and the charts file.
std::optional<std::string> ReadWholeFile(const std::string& path);

}  // namespace quarlen
