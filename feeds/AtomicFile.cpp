#include "feeds/AtomicFile.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <set>
#include <system_error>

#include "feeds/ListFile.h"

namespace quarlen {
namespace {

[[noreturn]] void ThrowErrno() { throw std::system_error(errno, std::generic_category()); }

std::string FolderOf(const std::string& path) {
  const auto slash = path.rfind('/');
  if (slash == std::string::npos) return ".";
  if (slash == 0) return "/";
  return path.substr(0, slash);
}

std::string Reason(const std::system_error& e) { return e.code().message(); }

FileWriteError CreateError(const std::string& path, const std::system_error& e) {
  return FileWriteError("Cannot create file \"" + path + "\". " + Reason(e));
}

}  // namespace

void FileOps::WriteNewFile(const std::string& path, std::string_view bytes, unsigned mode) {
  // A temporary left by an earlier crash is replaced, never appended to; and
  // creating exclusively gives the new file exactly the requested mode.
  if (::unlink(path.c_str()) != 0 && errno != ENOENT) ThrowErrno();
  const int fd = ::open(path.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC,
                        static_cast<mode_t>(mode));
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

void WriteFileAtomically(const std::string& path, std::string_view bytes, unsigned mode,
                         FileOps& ops) {
  const std::string temp = TemporaryPathFor(path);
  try {
    ops.WriteNewFile(temp, bytes, mode);
  } catch (const std::system_error& e) {
    ops.Remove(temp);
    throw CreateError(path, e);
  }
  try {
    ops.Rename(temp, path);
  } catch (const std::system_error& e) {
    ops.Remove(temp);
    throw CreateError(path, e);
  }
  ops.SyncFolder(FolderOf(path));
}

AtomicFileGroup::AtomicFileGroup(std::string journalPath, FileOps* ops)
    : journalPath_(std::move(journalPath)), ops_(ops ? *ops : defaultOps_) {}

void AtomicFileGroup::Add(std::string path, std::string bytes, unsigned mode) {
  // The journal keeps one path a line.
  if (path.find_first_of("\r\n") != std::string::npos)
    throw std::invalid_argument("file name holds a line break: " + path);
  pending_.push_back({std::move(path), std::move(bytes), mode});
}

void AtomicFileGroup::Commit() {
  std::vector<Pending> files = std::move(pending_);
  pending_.clear();

  std::vector<std::string> written;
  auto removeTemporaries = [&] {
    for (const auto& t : written) ops_.Remove(t);
  };
  for (const auto& f : files) {
    const std::string temp = TemporaryPathFor(f.path);
    written.push_back(temp);
    try {
      ops_.WriteNewFile(temp, f.bytes, f.mode);
    } catch (const std::system_error& e) {
      removeTemporaries();
      throw CreateError(f.path, e);
    } catch (...) {
      removeTemporaries();
      throw;
    }
  }

  const bool journaled = !journalPath_.empty() && files.size() > 1;
  if (journaled) {
    std::vector<std::string> lines;
    for (const auto& f : files) {
      lines.push_back(TemporaryPathFor(f.path));
      lines.push_back(f.path);
    }
    try {
      WriteFileAtomically(journalPath_, FormatListText(lines), 0666, ops_);
    } catch (...) {
      removeTemporaries();
      throw;
    }
  }

  std::set<std::string> folders;
  for (const auto& f : files) {
    try {
      ops_.Rename(TemporaryPathFor(f.path), f.path);
    } catch (const std::system_error& e) {
      // The journal stays: the next Recover completes the change.
      throw FileWriteError("Cannot rename file \"" + TemporaryPathFor(f.path) + "\" to \"" +
                           f.path + "\". " + Reason(e));
    }
    folders.insert(FolderOf(f.path));
  }
  for (const auto& folder : folders) ops_.SyncFolder(folder);
  if (journaled) {
    ops_.Remove(journalPath_);
    ops_.SyncFolder(FolderOf(journalPath_));
  }
}

bool AtomicFileGroup::Recover(const std::string& journalPath, FileOps* ops) {
  FileOps defaultOps;
  FileOps& o = ops ? *ops : defaultOps;
  std::optional<std::string> text;
  try {
    text = ReadWholeFile(journalPath);
  } catch (const ListFileError&) {
    return false;
  }
  if (!text) return false;
  const auto lines = ParseListText(*text);
  // The journal is written whole before the first rename, so an odd line count
  // means it is not ours; then nothing is renamed.
  if (lines.size() % 2 == 0) {
    for (std::size_t i = 0; i < lines.size(); i += 2) {
      // Only our own temporaries are renamed, each over the file it belongs to.
      if (lines[i] != TemporaryPathFor(lines[i + 1])) continue;
      if (!o.Exists(lines[i])) continue;  // renamed before the cut
      try {
        o.Rename(lines[i], lines[i + 1]);
      } catch (const std::system_error& e) {
        throw FileWriteError("Cannot rename file \"" + lines[i] + "\" to \"" + lines[i + 1] +
                             "\". " + Reason(e));
      }
    }
  }
  o.Remove(journalPath);
  o.SyncFolder(FolderOf(journalPath));
  return true;
}

}  // namespace quarlen
