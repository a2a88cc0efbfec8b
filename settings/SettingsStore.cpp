#include "settings/SettingsStore.h"

#include <libxml/parser.h>
#include <libxml/tree.h>
#include <libxml/xmlerror.h>
#include <cerrno>
#include <charconv>
#include <cstring>
#include <filesystem>
#include <memory>
#include <optional>
#include <sstream>

#include "platform/AsciiText.h"
#include "platform/AtomicFile.h"
#include "platform/FileSystem.h"
#include "platform/UiPorts.h"
#include "settings/XmlSettingsWriter.h"

namespace quarlen {

namespace {

namespace fs = std::filesystem;

// A settings file holds a handful of short values; anything far larger is not one.
constexpr std::uintmax_t MaxFileSize = std::uintmax_t{16} * 1024 * 1024;

// The key becomes an element name as it stands, so it has to be one.
void CheckKey(const std::string& key) {
  bool valid = !key.empty() && (IsAsciiLetter(key[0]) || key[0] == '_');
  for (char c : key) valid = valid && (IsAsciiLetter(c) || IsAsciiDigit(c) || c == '_' || c == '-' || c == '.');
  if (!valid) throw std::invalid_argument("not a settings key: \"" + key + "\"");
}

std::string QualifiedName(const xmlNode* node) {
  std::string name = reinterpret_cast<const char*>(node->name);
  if (node->ns != nullptr && node->ns->prefix != nullptr) {
    name = std::string(reinterpret_cast<const char*>(node->ns->prefix)) + ":" + name;
  }
  return name;
}

// The text of an element: its text and CDATA content, nested elements
// included. Entity references declared in the file itself are not expanded.
void AppendText(const xmlNode* node, std::string& out) {
  for (const xmlNode* child = node->children; child != nullptr; child = child->next) {
    if (child->type == XML_TEXT_NODE || child->type == XML_CDATA_SECTION_NODE) {
      if (child->content != nullptr) out += reinterpret_cast<const char*>(child->content);
    } else if (child->type == XML_ELEMENT_NODE) {
      AppendText(child, out);
    }
  }
}

struct ParserContextDeleter {
  void operator()(xmlParserCtxt* ctxt) const { xmlFreeParserCtxt(ctxt); }
};
struct DocumentDeleter {
  void operator()(xmlDoc* doc) const { xmlFreeDoc(doc); }
};

std::string ParseErrorText(const std::string& path, const xmlError* error) {
  std::string message = "Error reading settings file \"" + path + "\"";
  if (error == nullptr || error->message == nullptr) return message + ": the file is not a valid XML document.";
  std::string text = error->message;
  while (!text.empty() && (text.back() == '\n' || text.back() == '\r' || text.back() == ' ')) text.pop_back();
  if (error->line > 0) message += ", line " + std::to_string(error->line);
  return message + ": " + text;
}

// Owner-only permissions and the file's mode bits count as "read-only", since
// the owner (root in particular) may pass the access check regardless.
bool FileIsReadOnly(const std::string& path, const PathStatus& status) {
  if ((status.mode & 0222) == 0) return true;
  return !MayWrite(path);
}

// Writes content through the one atomic writer, so a settings file is replaced
// whole and the writer's failure injection reaches it too.
void ReplaceFile(const fs::path& target, const std::string& content, SettingsFileMode mode, FileOps* fileOps) {
  const std::string targetText = target.string();
  const fs::path folder = target.parent_path();
  if (!folder.empty()) {
    std::error_code ec;
    fs::create_directories(folder, ec);
    if (ec) throw SettingsStoreError("Cannot create folder \"" + folder.string() + "\". " + ec.message());
  }

  // A rewritten file keeps the permissions the user gave it; the password file is always owner-only.
  PathStatus existing;
  try {
    existing = StatusOf(targetText);
  } catch (const std::system_error&) {
    // A file whose status can't be read is written as a new one; the write reports what fails.
  }
  const bool exists = existing.kind != PathKind::Missing;
  unsigned fileMode = 0666;
  FileModeRule rule = FileModeRule::LessUmask;
  if (mode == SettingsFileMode::OwnerOnly) {
    fileMode = 0600;
    rule = FileModeRule::Exact;
  } else if (exists) {
    fileMode = existing.mode;
    rule = FileModeRule::Exact;
  }
  FileOps realOps;
  try {
    WriteFileAtomically(targetText, content, fileMode, fileOps ? *fileOps : realOps, rule);
  } catch (const FileWriteError& e) {
    throw SettingsStoreError(e.what());
  }
}

}  // namespace

std::string SettingsFilePath(const std::string& folder, const std::string& fileName) {
  if (folder.empty()) return fileName;
  if (folder.back() == '/') return folder + fileName;
  return folder + "/" + fileName;
}

bool SettingsTextToBool(const std::string& text) {
  const std::string upper = AsciiUppered(text);
  for (const char* t : {"TRUE", "YES", "Y"}) {
    if (upper == t) return true;
  }
  for (const char* f : {"FALSE", "NO", "N"}) {
    if (upper == f) return false;
  }
  // A decimal number: optional sign, digits with an optional fraction, an
  // optional exponent. It is true when any digit of the mantissa is not zero.
  std::size_t i = 0;
  if (i < text.size() && (text[i] == '+' || text[i] == '-')) ++i;
  std::size_t digits = 0;
  bool nonZero = false;
  for (; i < text.size() && IsAsciiDigit(text[i]); ++i, ++digits) nonZero = nonZero || text[i] != '0';
  if (i < text.size() && text[i] == '.') {
    for (++i; i < text.size() && IsAsciiDigit(text[i]); ++i, ++digits) nonZero = nonZero || text[i] != '0';
  }
  if (digits == 0) return false;
  if (i < text.size() && (text[i] == 'e' || text[i] == 'E')) {
    ++i;
    if (i < text.size() && (text[i] == '+' || text[i] == '-')) ++i;
    std::size_t exponentDigits = 0;
    for (; i < text.size() && IsAsciiDigit(text[i]); ++i) ++exponentDigits;
    if (exponentDigits == 0) return false;
  }
  return i == text.size() && nonZero;
}

int SettingsTextToInteger(const std::string& text) {
  const char* first = text.data();
  const char* last = text.data() + text.size();
  if (first != last && *first == '+') ++first;
  if (first == last || (*first == '-' && first != text.data())) return -1;  // "+-5"
  int value = 0;
  const auto [end, error] = std::from_chars(first, last, value, 10);
  if (error != std::errc() || end != last) return -1;
  return value;
}

std::string SettingsBoolToText(bool value) { return value ? "TRUE" : "FALSE"; }

SettingsStore::SettingsStore(std::string filePath, SettingsErrorSink errorSink, SettingsFileMode mode, FileOps* fileOps)
    : filePath_(std::move(filePath)), errorSink_(std::move(errorSink)), mode_(mode), fileOps_(fileOps) {
  xmlInitParser();
}

SettingsStore::SettingsStore(std::string filePath, IMessageBoxes& messageBoxes, SettingsFileMode mode)
    : SettingsStore(
          std::move(filePath), [&messageBoxes](const std::string& message) { messageBoxes.ShowMessage(message); },
          mode) {}

void SettingsStore::Reread() {
  PathStatus info;
  try {
    info = StatusOf(filePath_);
  } catch (const std::system_error& e) {
    throw SettingsStoreError("Cannot open file \"" + filePath_ + "\". " + e.code().message());
  }
  if (info.kind == PathKind::Missing) {
    readOnly_ = false;
    rootName_ = RootName;
    entries_.clear();
    return;
  }
  readOnly_ = FileIsReadOnly(filePath_, info);
  if (info.kind != PathKind::File)
    throw SettingsStoreError("Cannot open file \"" + filePath_ + "\". Not a regular file");
  if (info.size > MaxFileSize) {
    throw SettingsStoreError("Error reading settings file \"" + filePath_ + "\": the file is too large.");
  }

  std::optional<std::string> read;
  try {
    read = ReadWholeFileIfPresent(filePath_);
  } catch (const std::system_error& e) {
    throw SettingsStoreError("Cannot open file \"" + filePath_ + "\". " + e.code().message());
  }
  // Removed between the status and the read: as unreadable as a file that can't be opened.
  if (!read) throw SettingsStoreError("Cannot open file \"" + filePath_ + "\". " + std::strerror(ENOENT));
  const std::string& content = *read;

  std::unique_ptr<xmlParserCtxt, ParserContextDeleter> ctxt(xmlNewParserCtxt());
  if (!ctxt) throw SettingsStoreError("Error reading settings file \"" + filePath_ + "\": out of memory.");
  // No network, no external DTD, no entity substitution: the file is read as it stands.
  std::unique_ptr<xmlDoc, DocumentDeleter> doc(
      xmlCtxtReadMemory(ctxt.get(), content.data(), static_cast<int>(content.size()), nullptr, nullptr,
                        XML_PARSE_NONET | XML_PARSE_NOERROR | XML_PARSE_NOWARNING));
  const xmlNode* root = doc ? xmlDocGetRootElement(doc.get()) : nullptr;
  if (root == nullptr) throw SettingsStoreError(ParseErrorText(filePath_, xmlCtxtGetLastError(ctxt.get())));

  std::vector<SettingsEntry> entries;
  for (const xmlNode* child = root->children; child != nullptr; child = child->next) {
    if (child->type != XML_ELEMENT_NODE) continue;
    SettingsEntry entry{QualifiedName(child), {}};
    AppendText(child, entry.value);
    entries.push_back(std::move(entry));
  }
  rootName_ = QualifiedName(root);
  entries_ = std::move(entries);
}

const std::string* SettingsStore::Find(const std::string& key) const {
  if (rootName_ != RootName) return nullptr;
  for (const SettingsEntry& entry : entries_) {
    if (EqualsIgnoringAsciiCase(entry.name, key)) return &entry.value;
  }
  return nullptr;
}

void SettingsStore::Report(const std::string& message) noexcept {
  if (!errorSink_) return;
  try {
    errorSink_(message);
  } catch (...) {
    // A failing report must not hide the failure it reports; the caller still gets the exception.
  }
}

bool SettingsStore::ReadBool(const std::string& key, bool defaultValue) {
  const std::string* text = Lookup(key);
  return text ? SettingsTextToBool(*text) : defaultValue;
}

int SettingsStore::ReadInteger(const std::string& key, int defaultValue) {
  const std::string* text = Lookup(key);
  return text ? SettingsTextToInteger(*text) : defaultValue;
}

std::string SettingsStore::ReadString(const std::string& key, const std::string& defaultValue) {
  const std::string* text = Lookup(key);
  return text ? *text : defaultValue;
}

const std::string* SettingsStore::Lookup(const std::string& key) {
  try {
    Reread();
  } catch (const SettingsStoreError& e) {
    Report(e.what());
    throw;
  }
  return Find(key);
}

void SettingsStore::WriteBool(const std::string& key, bool value) { WriteValue(key, SettingsBoolToText(value)); }

void SettingsStore::WriteInteger(const std::string& key, int value) { WriteValue(key, std::to_string(value)); }

void SettingsStore::WriteString(const std::string& key, const std::string& value) { WriteValue(key, value); }

void SettingsStore::WriteValue(const std::string& key, const std::string& text) {
  CheckKey(key);
  if (readOnly_) return;
  try {
    Reread();
    // A file that became read-only since the last access is left alone as well;
    // the rename would otherwise replace it regardless of its permissions.
    if (readOnly_) return;
    SettingsEntry* found = nullptr;
    for (SettingsEntry& entry : entries_) {
      if (EqualsIgnoringAsciiCase(entry.name, key)) {
        found = &entry;
        break;
      }
    }
    if (found == nullptr) {
      entries_.push_back({key, {}});
      found = &entries_.back();
    }
    found->value = text;
    WriteDocument();
  } catch (const SettingsStoreError& e) {
    Report(e.what());
    throw;
  }
}

void SettingsStore::WriteDocument() {
  fs::path target(filePath_);
  // A settings file that is a link to another file stays a link: the target is rewritten.
  std::error_code ec;
  if (fs::is_symlink(target, ec)) {
    const fs::path resolved = fs::canonical(target, ec);
    if (!ec) target = resolved;
  }
  ReplaceFile(target, WriteSettingsDocument(rootName_, entries_), mode_, fileOps_);
}

void SettingsStore::Flush() noexcept {
  try {
    // A file that cannot be parsed was reported when it was read; overwriting it
    // now would destroy what the user may still repair.
    Reread();
  } catch (...) {
    return;
  }
  if (readOnly_) return;
  try {
    WriteDocument();
  } catch (const SettingsStoreError& e) {
    Report(e.what());
  } catch (...) {
  }
}

}  // namespace quarlen
