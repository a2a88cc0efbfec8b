#pragma once
// SettingsStore: one small XML key-value settings file ("KVTSettings.xml",
// "KVTNetworkSettings.xml"). The file is re-read before every read and every
// write and rewritten whole after every write, so the file on disk is always
// the truth and keys added to it by hand survive.
#include <functional>
#include <stdexcept>
#include <string>
#include <vector>

namespace quarlen {

class FileOps;
class IMessageBoxes;

// A settings file that could not be read, parsed or written. what() is the
// text the user sees.
class SettingsStoreError : public std::runtime_error {
 public:
  using std::runtime_error::runtime_error;
};

// Receives the text of every failure of the file, once per failure (the
// application's general error report: a message box with the text).
using SettingsErrorSink = std::function<void(const std::string& message)>;

// Who may read a file the store creates.
enum class SettingsFileMode {
  Default,    // as any new file of the user (0666 less the umask); an existing file keeps its mode
  OwnerOnly,  // 0600 always: the file holds a password
};

// One key and its value text, in file order. `name` keeps the spelling found in the file.
struct SettingsEntry {
  std::string name;
  std::string value;
};

// The folder joined with the file name by one "/"; the bare file name when the
// folder is empty (the application-data folder could not be resolved).
std::string SettingsFilePath(const std::string& folder, const std::string& fileName);

class SettingsStore {
 public:
  static constexpr const char* RootName = "Configuration";

  // filePath: the full path of the file (folder + "/" + file name). errorSink
  // may be empty; failures are then only thrown. fileOps: the file-system
  // steps of a write (nullptr: the real ones), kept, not owned.
  SettingsStore(std::string filePath, SettingsErrorSink errorSink, SettingsFileMode mode = SettingsFileMode::Default,
                FileOps* fileOps = nullptr);
  // Failures go to messageBoxes.ShowMessage, which must outlive the store.
  SettingsStore(std::string filePath, IMessageBoxes& messageBoxes, SettingsFileMode mode = SettingsFileMode::Default);

  // Reads of a missing key, or of a file whose root element is not
  // "Configuration", give the default. A file that cannot be read or parsed is
  // reported through the sink and thrown as SettingsStoreError.
  bool ReadBool(const std::string& key, bool defaultValue);
  int ReadInteger(const std::string& key, int defaultValue);  // -1 for a text that is no integer
  std::string ReadString(const std::string& key, const std::string& defaultValue);

  // Writes re-read the file, set the key (appending it when new) and rewrite
  // the whole file through a temporary file and a rename. Nothing happens when
  // the file was read-only at the last re-read. Failures are reported through
  // the sink and thrown as SettingsStoreError; the file is then unchanged.
  // A key must be an XML name of ASCII letters, digits, "_", "-" and "."
  // (std::invalid_argument otherwise).
  void WriteBool(const std::string& key, bool value);
  void WriteInteger(const std::string& key, int value);
  void WriteString(const std::string& key, const std::string& value);

  // Program end: re-reads the file and writes it once more in the store's own
  // layout. Leaves a read-only file and a file that cannot be parsed alone;
  // write failures go to the sink. Never throws.
  void Flush() noexcept;

  // Whether the file was read-only at the last re-read.
  bool ReadOnly() const { return readOnly_; }
  // The document of the last re-read: root element name and its keys in order.
  const std::string& DocumentRootName() const { return rootName_; }
  const std::vector<SettingsEntry>& Entries() const { return entries_; }

 private:
  // Replaces the document with the file's content; throws SettingsStoreError.
  void Reread();
  // Re-reads (reporting a failure) and finds the key's value text.
  const std::string* Lookup(const std::string& key);
  void WriteValue(const std::string& key, const std::string& text);
  void WriteDocument();
  // The value text of a key, or nullptr when the key is absent or the root is foreign.
  const std::string* Find(const std::string& key) const;
  void Report(const std::string& message) noexcept;

  std::string filePath_;
  SettingsErrorSink errorSink_;
  SettingsFileMode mode_;
  FileOps* fileOps_;
  bool readOnly_ = false;
  std::string rootName_ = RootName;
  std::vector<SettingsEntry> entries_;
};

// The conversion rules of the stored texts, shared by reads and tests.
// Booleans: "TRUE", "YES", "Y" (any letter case) are true, "FALSE", "NO", "N"
// false, a decimal number is true when not zero, anything else false.
bool SettingsTextToBool(const std::string& text);
// A decimal 32-bit integer with an optional sign; -1 for any other text.
int SettingsTextToInteger(const std::string& text);
// "TRUE" or "FALSE".
std::string SettingsBoolToText(bool value);

}  // namespace quarlen
