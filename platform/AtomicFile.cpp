#include "platform/AtomicFile.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <system_error>

namespace quarlen {
namespace {

[[noreturn]] void ThrowErrno() { throw std::system_error(errno, std::generic_category()); }

}  // namespace

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
  if (::unlink(path.c_str()) != 0 && errno != ENOENT) ThrowErrno();
  const int fd = ::open(path.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, static_cast<mode_t>(mode));
  if (fd < 0) ThrowErrno();
  std::size_t done = 0;
  while (done < bytes.size()) {
    const ssize_t n = ::write(fd, bytes.data() + done, bytes.size() - done);
    if (n < 0) {
      if (errno == EINTR) continue;
      const int err = errno;
      ::close(fd);
      ::unlink(path.c_str());
      throw std::system_error(err, std::generic_category());
    }
    done += static_cast<std::size_t>(n);
  }
  // The rename that follows must never expose a file whose data is not yet on disk.
  if (::fsync(fd) != 0 || ::close(fd) != 0) {
    const int err = errno;
    ::unlink(path.c_str());
    throw std::system_error(err, std::generic_category());
  }
}

void FileOps::SetMode(const std::string& path, unsigned mode) {
  if (::chmod(path.c_str(), static_cast<mode_t>(mode)) != 0) ThrowErrno();
}

void FileOps::Rename(const std::string& from, const std::string& to) {
  if (::rename(from.c_str(), to.c_str()) != 0) ThrowErrno();
}

void FileOps::Remove(const std::string& path) noexcept { ::unlink(path.c_str()); }

bool FileOps::Exists(const std::string& path) const { return ::access(path.c_str(), F_OK) == 0; }

void FileOps::SyncFolder(const std::string& folder) noexcept {
  const int fd = ::open(folder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
  if (fd < 0) return;
  ::fsync(fd);
  ::close(fd);
}

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
