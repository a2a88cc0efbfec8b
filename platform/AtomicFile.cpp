#include "platform/AtomicFile.h"

#include <system_error>

#include "platform/FileSystem.h"

namespace quarlen {
std::string FolderOf(const std::string& path) {
  const auto slash = path.rfind('/');
  if (slash == std::string::npos) return ".";
  if (slash == 0) return "/";
  return path.substr(0, slash);
}

FileWriteError CannotCreateError(const std::string& path, const std::system_error& e) {
  return FileWriteError("Cannot create file \"" + path + "\". " + e.code().message());
}

FileWriteError CannotRenameError(const std::string& from, const std::string& to, const std::system_error& e) {
  return FileWriteError("Cannot rename file \"" + from + "\" to \"" + to + "\". " + e.code().message());
}

void FileOps::WriteNewFile(const std::string& path, std::string_view bytes, unsigned mode) {
  // A temporary left by an earlier crash is replaced, never appended to; and
  // creating exclusively gives the new file exactly the requested mode.
  RemoveFile(path);
  try {
    NewFile file(path, mode);
    file.Write(bytes);
    // The rename that follows must never expose a file whose data is not yet on disk.
    file.SyncAndClose();
  } catch (const std::system_error&) {
    RemoveFile(path);
    throw;
  }
}

void FileOps::SetMode(const std::string& path, unsigned mode) { SetPermissions(path, mode); }

void FileOps::Rename(const std::string& from, const std::string& to) { RenameReplacing(from, to); }

void FileOps::Remove(const std::string& path) noexcept { RemoveFile(path); }

bool FileOps::Exists(const std::string& path) const { return PathExists(path); }

void FileOps::SyncFolder(const std::string& folder) noexcept { quarlen::SyncFolder(folder); }

std::string TemporaryPathFor(const std::string& path) { return path + ".tmp"; }

void WriteFileAtomically(const std::string& path, std::string_view bytes, unsigned mode) {
  FileOps ops;
  WriteFileAtomically(path, bytes, mode, ops);
}

void WriteFileAtomically(const std::string& path, std::string_view bytes, unsigned mode, FileOps& ops,
                         FileModeRule rule) {
  const std::string temp = TemporaryPathFor(path);
  try {
    ops.WriteNewFile(temp, bytes, mode);
    if (rule == FileModeRule::Exact) ops.SetMode(temp, mode);
  } catch (const std::system_error& e) {
    ops.Remove(temp);
    throw CannotCreateError(path, e);
  }
  try {
    ops.Rename(temp, path);
  } catch (const std::system_error& e) {
    ops.Remove(temp);
    throw CannotCreateError(path, e);
  }
  ops.SyncFolder(FolderOf(path));
}

}  // namespace quarlen
