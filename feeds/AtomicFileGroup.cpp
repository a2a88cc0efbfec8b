#include "feeds/AtomicFileGroup.h"

#include <optional>
#include <set>
#include <stdexcept>
#include <system_error>

#include "feeds/ListFile.h"

namespace quarlen {

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
      throw CannotCreateError(f.path, e);
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
      throw CannotRenameError(TemporaryPathFor(f.path), f.path, e);
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
        throw CannotRenameError(lines[i], lines[i + 1], e);
      }
    }
  }
  o.Remove(journalPath);
  o.SyncFolder(FolderOf(journalPath));
  return true;
}

}  // namespace quarlen
