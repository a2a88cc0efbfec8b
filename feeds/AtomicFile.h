#pragma once
// Files written whole through a temporary file in the same folder and a rename,
// so a reader sees either the old file or the new one, never a part.
// AtomicFileGroup writes several files as one change: every temporary file is
// written before the first rename, and a journal lets the next start finish a
// change that was cut off between its renames.
#include <optional>
#include <stdexcept>
#include <string>
#include <string_view>
#include <vector>

namespace quarlen {

// Writing a file failed; the message names the file and the reason.
class FileWriteError : public std::runtime_error {
 public:
  using std::runtime_error::runtime_error;
};

// The file-system steps of a write. The methods throw std::system_error on
// failure. Tests derive from it to fail at a chosen step.
class FileOps {
 public:
  virtual ~FileOps() = default;
  // Creates path anew (a stale file of that name is removed first) holding
  // bytes, with the permission bits mode (less the umask), flushed to disk.
  virtual void WriteNewFile(const std::string& path, std::string_view bytes, unsigned mode);
  // Renames from over to (same folder).
  virtual void Rename(const std::string& from, const std::string& to);
  // Removes path; a missing file is no error. Never throws.
  virtual void Remove(const std::string& path) noexcept;
  // True when path exists.
  virtual bool Exists(const std::string& path) const;
  // Flushes the folder's entries (the renames) to disk; best effort.
  virtual void SyncFolder(const std::string& folder) noexcept;
};

// The name of the temporary file beside path.
std::string TemporaryPathFor(const std::string& path);

// Writes path through its temporary file and a rename. Throws FileWriteError
// ("Cannot create file \"path\". reason"); the old file is then untouched.
void WriteFileAtomically(const std::string& path, std::string_view bytes, unsigned mode = 0666);
void WriteFileAtomically(const std::string& path, std::string_view bytes, unsigned mode,
                         FileOps& ops);

// Several files replaced together.
class AtomicFileGroup {
 public:
  // journalPath: where the list of pending renames is kept while they run
  // (empty: no journal). ops: the file-system steps (nullptr: the real ones).
  explicit AtomicFileGroup(std::string journalPath = {}, FileOps* ops = nullptr);
  AtomicFileGroup(const AtomicFileGroup&) = delete;
  AtomicFileGroup& operator=(const AtomicFileGroup&) = delete;

  // Adds a file to the change; nothing is written yet. Throws
  // std::invalid_argument for a path holding a line break.
  void Add(std::string path, std::string bytes, unsigned mode = 0666);

  // Writes every temporary file, then the journal, then renames them all.
  // A failure before the first rename removes the temporaries and leaves every
  // old file as it was; a failed rename keeps the journal so Recover can finish
  // the change. Throws FileWriteError in both cases. Empties the group.
  void Commit();

  // Finishes a change whose renames were cut off: renames every temporary file
  // the journal names that is still there, then removes the journal. Returns
  // true when it found a journal. Throws FileWriteError when a rename fails.
  static bool Recover(const std::string& journalPath, FileOps* ops = nullptr);

 private:
  struct Pending {
    std::string path;
    std::string bytes;
    unsigned mode;
  };
  std::string journalPath_;
  FileOps defaultOps_;
  FileOps& ops_;
  std::vector<Pending> pending_;
};

}  // namespace quarlen
