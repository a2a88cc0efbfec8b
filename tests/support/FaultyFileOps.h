#pragma once
// Real file operations that fail on purpose after a set number of writes or
// renames, as a full disk or a crash in the middle of a save would; or take
// their time, as a busy disk does.
#include <cerrno>
#include <functional>
#include <system_error>

#include "platform/AtomicFile.h"

namespace quarlen::test {

class FaultyFileOps : public FileOps {
 public:
  int writesBeforeFailure = -1;   // -1: never fail
  int renamesBeforeFailure = -1;  // -1: never fail
  int writes = 0;
  int renames = 0;
  std::function<void()> beforeWrite;  // runs before every write, on the writing thread

  void WriteNewFile(const std::string& path, std::string_view bytes, unsigned mode) override {
    if (beforeWrite) beforeWrite();
    if (writesBeforeFailure >= 0 && writes >= writesBeforeFailure)
      throw std::system_error(ENOSPC, std::generic_category());
    ++writes;
    FileOps::WriteNewFile(path, bytes, mode);
  }
  void Rename(const std::string& from, const std::string& to) override {
    if (renamesBeforeFailure >= 0 && renames >= renamesBeforeFailure)
      throw std::system_error(EIO, std::generic_category());
    ++renames;
    FileOps::Rename(from, to);
  }
};

}  // namespace quarlen::test
