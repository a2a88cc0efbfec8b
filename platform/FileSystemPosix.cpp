#include <fcntl.h>
#include <stdlib.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <filesystem>
#include <system_error>

#include "platform/FileSystem.h"

namespace quarlen {
namespace {

[[noreturn]] void ThrowErrno(int error) { throw std::system_error(error, std::generic_category()); }

int Fd(std::intptr_t handle) { return static_cast<int>(handle); }

}  // namespace

PathStatus StatusOf(const std::string& path) {
  struct stat info {};
  if (::stat(path.c_str(), &info) != 0) {
    // ENOTDIR: a file stands where a folder on the path should be; nothing is there either.
    if (errno == ENOENT || errno == ENOTDIR) return {};
    ThrowErrno(errno);
  }
  PathStatus status;
  status.kind = S_ISREG(info.st_mode) ? PathKind::File : S_ISDIR(info.st_mode) ? PathKind::Folder : PathKind::Other;
  status.size = static_cast<std::uintmax_t>(info.st_size);
  status.mode = static_cast<unsigned>(info.st_mode) & 07777;
  return status;
}

bool IsFolder(const std::string& path) noexcept {
  struct stat info {};
  return ::stat(path.c_str(), &info) == 0 && S_ISDIR(info.st_mode);
}

bool PathExists(const std::string& path) noexcept { return ::access(path.c_str(), F_OK) == 0; }

bool MayWrite(const std::string& path) noexcept { return ::access(path.c_str(), W_OK) == 0; }

std::optional<std::string> ReadWholeFileIfPresent(const std::string& path) {
  const int fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC);
  if (fd < 0) {
    if (errno == ENOENT || errno == ENOTDIR) return std::nullopt;
    ThrowErrno(errno);
  }
  std::string data;
  char buffer[65536];
  for (;;) {
    const ssize_t n = ::read(fd, buffer, sizeof buffer);
    if (n < 0) {
      if (errno == EINTR) continue;
      const int error = errno;
      ::close(fd);
      ThrowErrno(error);
    }
    if (n == 0) break;
    data.append(buffer, static_cast<std::size_t>(n));
  }
  ::close(fd);
  return data;
}

NewFile::NewFile(const std::string& path, unsigned mode)
    : handle_(::open(path.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, static_cast<mode_t>(mode))) {
  if (handle_ < 0) ThrowErrno(errno);
}

NewFile::~NewFile() {
  if (handle_ >= 0) ::close(Fd(handle_));
}

void NewFile::Write(std::string_view bytes) {
  std::size_t done = 0;
  while (done < bytes.size()) {
    const ssize_t n = ::write(Fd(handle_), bytes.data() + done, bytes.size() - done);
    if (n < 0) {
      if (errno == EINTR) continue;
      ThrowErrno(errno);
    }
    done += static_cast<std::size_t>(n);
  }
}

void NewFile::SyncAndClose() {
  const int fd = Fd(handle_);
  handle_ = -1;
  // A close after a failed fsync still releases the descriptor; the fsync's error is the one reported.
  const int synced = ::fsync(fd) == 0 ? 0 : errno;
  const int closed = ::close(fd) == 0 ? 0 : errno;
  if (synced != 0) ThrowErrno(synced);
  if (closed != 0) ThrowErrno(closed);
}

void SetPermissions(const std::string& path, unsigned mode) {
  if (::chmod(path.c_str(), static_cast<mode_t>(mode)) != 0) ThrowErrno(errno);
}

void RenameReplacing(const std::string& from, const std::string& to) {
  if (::rename(from.c_str(), to.c_str()) != 0) ThrowErrno(errno);
}

void RemoveFile(const std::string& path) noexcept { ::unlink(path.c_str()); }

bool MakeFolder(const std::string& path) noexcept {
  if (::mkdir(path.c_str(), 0700) == 0) return true;
  return errno == EEXIST && IsFolder(path);
}

void SyncFolder(const std::string& folder) noexcept {
  const int fd = ::open(folder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
  if (fd < 0) return;
  ::fsync(fd);
  ::close(fd);
}

std::string MakeTemporaryFolder(const std::string& prefix) {
  std::string pattern = (std::filesystem::temp_directory_path() / (prefix + "XXXXXX")).string();
  if (::mkdtemp(pattern.data()) == nullptr) ThrowErrno(errno);
  return pattern;
}

}  // namespace quarlen
