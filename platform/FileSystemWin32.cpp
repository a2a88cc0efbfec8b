#include <windows.h>

#include <cwchar>
#include <filesystem>
#include <random>
#include <system_error>

#include "platform/FileSystem.h"
#include "platform/WideText.h"

namespace quarlen {
namespace {

[[noreturn]] void ThrowLastError() {
  throw std::system_error(static_cast<int>(::GetLastError()), std::system_category());
}

bool IsMissing(DWORD error) { return error == ERROR_FILE_NOT_FOUND || error == ERROR_PATH_NOT_FOUND; }

HANDLE Handle(std::intptr_t handle) { return reinterpret_cast<HANDLE>(handle); }

}  // namespace

PathStatus StatusOf(const std::string& path) {
  WIN32_FILE_ATTRIBUTE_DATA data{};
  if (!::GetFileAttributesExW(WideFromUtf8(path).c_str(), GetFileExInfoStandard, &data)) {
    // A file where a folder of the path should be reads as a missing path too.
    const DWORD error = ::GetLastError();
    if (IsMissing(error) || error == ERROR_DIRECTORY || error == ERROR_INVALID_NAME) return {};
    ThrowLastError();
  }
  PathStatus status;
  const bool folder = (data.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) != 0;
  const bool device = (data.dwFileAttributes & FILE_ATTRIBUTE_DEVICE) != 0;
  status.kind = folder ? PathKind::Folder : device ? PathKind::Other : PathKind::File;
  status.size = (static_cast<std::uintmax_t>(data.nFileSizeHigh) << 32) | data.nFileSizeLow;
  // Windows knows only the read-only attribute: everyone may read, and all may write unless it is set.
  status.mode = (data.dwFileAttributes & FILE_ATTRIBUTE_READONLY) != 0 ? 0444 : 0666;
  if (folder) status.mode |= 0111;
  return status;
}

bool IsFolder(const std::string& path) noexcept {
  const DWORD attributes = ::GetFileAttributesW(WideFromUtf8(path).c_str());
  return attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY) != 0;
}

bool PathExists(const std::string& path) noexcept {
  return ::GetFileAttributesW(WideFromUtf8(path).c_str()) != INVALID_FILE_ATTRIBUTES;
}

bool MayWrite(const std::string& path) noexcept {
  const DWORD attributes = ::GetFileAttributesW(WideFromUtf8(path).c_str());
  return attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_READONLY) == 0;
}

std::optional<std::string> ReadWholeFileIfPresent(const std::string& path) {
  const HANDLE file = ::CreateFileW(WideFromUtf8(path).c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE,
                                    nullptr, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
  if (file == INVALID_HANDLE_VALUE) {
    if (IsMissing(::GetLastError())) return std::nullopt;
    ThrowLastError();
  }
  std::string data;
  char buffer[65536];
  for (;;) {
    DWORD n = 0;
    if (!::ReadFile(file, buffer, sizeof buffer, &n, nullptr)) {
      const DWORD error = ::GetLastError();
      ::CloseHandle(file);
      throw std::system_error(static_cast<int>(error), std::system_category());
    }
    if (n == 0) break;
    data.append(buffer, n);
  }
  ::CloseHandle(file);
  return data;
}

NewFile::NewFile(const std::string& path, unsigned mode)
    : handle_(reinterpret_cast<std::intptr_t>(
          ::CreateFileW(WideFromUtf8(path).c_str(), GENERIC_WRITE, 0, nullptr, CREATE_NEW,
                        (mode & 0222) == 0 ? FILE_ATTRIBUTE_READONLY : FILE_ATTRIBUTE_NORMAL, nullptr))) {
  if (Handle(handle_) == INVALID_HANDLE_VALUE) ThrowLastError();
}

NewFile::~NewFile() {
  if (Handle(handle_) != INVALID_HANDLE_VALUE) ::CloseHandle(Handle(handle_));
}

void NewFile::Write(std::string_view bytes) {
  std::size_t done = 0;
  while (done < bytes.size()) {
    const DWORD chunk = static_cast<DWORD>(std::min<std::size_t>(bytes.size() - done, 1u << 30));
    DWORD n = 0;
    if (!::WriteFile(Handle(handle_), bytes.data() + done, chunk, &n, nullptr)) ThrowLastError();
    done += n;
  }
}

void NewFile::SyncAndClose() {
  const HANDLE file = Handle(handle_);
  handle_ = reinterpret_cast<std::intptr_t>(INVALID_HANDLE_VALUE);
  const DWORD flushed = ::FlushFileBuffers(file) ? 0 : ::GetLastError();
  const DWORD closed = ::CloseHandle(file) ? 0 : ::GetLastError();
  if (flushed != 0) throw std::system_error(static_cast<int>(flushed), std::system_category());
  if (closed != 0) throw std::system_error(static_cast<int>(closed), std::system_category());
}

void SetPermissions(const std::string& path, unsigned mode) {
  const std::wstring wide = WideFromUtf8(path);
  const DWORD attributes = ::GetFileAttributesW(wide.c_str());
  if (attributes == INVALID_FILE_ATTRIBUTES) ThrowLastError();
  const DWORD wanted =
      (mode & 0222) == 0 ? (attributes | FILE_ATTRIBUTE_READONLY) : (attributes & ~DWORD{FILE_ATTRIBUTE_READONLY});
  if (wanted != attributes && !::SetFileAttributesW(wide.c_str(), wanted)) ThrowLastError();
}

void RenameReplacing(const std::string& from, const std::string& to) {
  // Write-through: the call returns only once the rename is on disk, as a folder sync gives elsewhere.
  if (!::MoveFileExW(WideFromUtf8(from).c_str(), WideFromUtf8(to).c_str(),
                     MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH)) {
    ThrowLastError();
  }
}

void RemoveFile(const std::string& path) noexcept { ::DeleteFileW(WideFromUtf8(path).c_str()); }

bool MakeFolder(const std::string& path) noexcept {
  if (::CreateDirectoryW(WideFromUtf8(path).c_str(), nullptr)) return true;
  return ::GetLastError() == ERROR_ALREADY_EXISTS && IsFolder(path);
}

void SyncFolder(const std::string&) noexcept {
  // Nothing to do: RenameReplacing writes through.
}

std::string MakeTemporaryFolder(const std::string& prefix) {
  wchar_t base[MAX_PATH + 1];
  const DWORD length = ::GetTempPathW(MAX_PATH + 1, base);
  if (length == 0 || length > MAX_PATH) ThrowLastError();
  std::random_device seed;
  std::mt19937 random(seed());
  for (int attempt = 0; attempt < 100; ++attempt) {
    wchar_t name[32];
    std::swprintf(name, 32, L"%08x", static_cast<unsigned>(random()));
    std::wstring folder = std::wstring(base, length) + WideFromUtf8(prefix) + name;
    if (::CreateDirectoryW(folder.c_str(), nullptr)) return Utf8FromWide(folder);
    if (::GetLastError() != ERROR_ALREADY_EXISTS) ThrowLastError();
  }
  throw std::system_error(ERROR_ALREADY_EXISTS, std::system_category());
}

}  // namespace quarlen
