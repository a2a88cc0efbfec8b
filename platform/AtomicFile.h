#pragma once
// Files written whole through a temporary file in the same folder and a rename,
// so a reader sees either the old file or the new one, never a part. Every
// file the program writes goes through here (feeds/AtomicFileGroup.h for
// several files that must change together).
#include <stdexcept>
#include <string>
#include <string_view>
#include <system_error>

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
  // Gives path exactly the permission bits mode, whatever the umask.
  virtual void SetMode(const std::string& path, unsigned mode);
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
// The folder holding path ("." for a bare file name).
std::string FolderOf(const std::string& path);
// The errors of a failed write and a failed rename, naming the files and the reason.
FileWriteError CannotCreateError(const std::string& path, const std::system_error& e);
FileWriteError CannotRenameError(const std::string& from, const std::string& to, const std::system_error& e);

// How a new file gets its mode: less the umask, as any new file does, or
// exactly (a rewritten file that keeps the permissions its user gave it).
enum class FileModeRule { LessUmask, Exact };

// Writes path through its temporary file and a rename. Throws FileWriteError
// ("Cannot create file \"path\". reason"); the old file is then untouched.
void WriteFileAtomically(const std::string& path, std::string_view bytes, unsigned mode = 0666);
void WriteFileAtomically(const std::string& path, std::string_view bytes, unsigned mode, FileOps& ops,
                         FileModeRule rule = FileModeRule::LessUmask);

}  // namespace quarlen
