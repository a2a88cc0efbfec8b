#pragma once
// What the core asks of the file system: a path's status, whole files read and
// written, renames, removals and folders. One implementation per system
// (FileSystemPosix.cpp, FileSystemWin32.cpp), chosen by platform/CMakeLists.txt.
// Paths are UTF-8 text; failures throw std::system_error, whose message is the
// system's own text for the reason.
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

namespace quarlen {

enum class PathKind { Missing, File, Folder, Other };

struct PathStatus {
  PathKind kind = PathKind::Missing;
  std::uintmax_t size = 0;  // bytes, for a file
  unsigned mode = 0;        // the permission bits (07777); a read-only file has no write bit
};

// The status of path; kind Missing when path or a folder on it does not exist.
// Throws std::system_error for any other failure (no permission to look).
PathStatus StatusOf(const std::string& path);

// True when path names a folder; false for anything else and on any failure.
bool IsFolder(const std::string& path) noexcept;

// True when anything exists at path.
bool PathExists(const std::string& path) noexcept;

// True when this process may write the file at path.
bool MayWrite(const std::string& path) noexcept;

// The whole content of the file at path; nullopt when it does not exist.
// Throws std::system_error when it exists but can't be opened or read.
std::optional<std::string> ReadWholeFileIfPresent(const std::string& path);

// A file newly created for writing, closed by its destructor. Writes go
// straight to the file; SyncAndClose puts them on disk before it returns.
class NewFile {
 public:
  // Creates path exclusively (it must not exist) with the permission bits mode,
  // less the umask. Throws std::system_error.
  NewFile(const std::string& path, unsigned mode);
  ~NewFile();
  NewFile(const NewFile&) = delete;
  NewFile& operator=(const NewFile&) = delete;

  // Appends bytes; throws std::system_error.
  void Write(std::string_view bytes);
  // Flushes the content to disk and closes the file; throws std::system_error.
  void SyncAndClose();

 private:
  std::intptr_t handle_;
};

// Gives path exactly the permission bits mode; throws std::system_error.
void SetPermissions(const std::string& path, unsigned mode);

// Renames from to to, replacing a file at to in one step (a reader sees the
// old file or the new one); throws std::system_error.
void RenameReplacing(const std::string& from, const std::string& to);

// Removes the file at path; a missing file is no error.
void RemoveFile(const std::string& path) noexcept;

// Creates the folder path (its parent must exist), owner-only where the system
// has such bits. True when a folder is there afterwards.
bool MakeFolder(const std::string& path) noexcept;

// Flushes a folder's entries (renames into it) to disk; best effort.
void SyncFolder(const std::string& folder) noexcept;

// A new empty folder in the system's temporary folder, its name starting with
// prefix. Throws std::system_error.
std::string MakeTemporaryFolder(const std::string& prefix);

}  // namespace quarlen
