#pragma once
// Several files written as one change: every temporary file is written before
// the first rename, and a journal lets the next start finish a change that was
// cut off between its renames.
#include <string>
#include <vector>

#include "platform/AtomicFile.h"

namespace quarlen {

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
