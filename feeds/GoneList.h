#pragma once
// The links that left the article store while the feed may still carry them:
// trimmed by the keep limit (with the read state they had) or deleted by the
// user. The refresh cycle never takes such a link for a new article.
#include <cstddef>
#include <string>
#include <string_view>
#include <unordered_map>
#include <vector>

namespace quarlen {

class GoneList {
 public:
  // The state of a deleted link; a trimmed one keeps its read entry ("read" or "unread").
  static constexpr const char* Deleted = "deleted";

  struct Entry {
    std::string state;  // "read", "unread" or "deleted"
    std::string link;
  };

  // The entries of the list file's lines ("<state> <link>"). A line of any
  // other shape is dropped: at worst that article is announced once more.
  static GoneList FromLines(const std::vector<std::string>& lines);
  // The list file's lines, in the order the links left the store.
  std::vector<std::string> Lines() const;

  // The entry of link (compared by SameLink), or nullptr.
  const Entry* Find(std::string_view link) const;
  // Records link with state, replacing an earlier entry of the same link.
  void Add(std::string link, std::string state);
  // Forgets link; nothing when it is not there.
  void Remove(std::string_view link);
  // Forgets every link that is not among links (compared by SameLink).
  void KeepOnly(const std::vector<std::string>& links);

  std::size_t Count() const { return entries_.size(); }
  const std::vector<Entry>& Entries() const { return entries_; }

 private:
  void Reindex();

  std::vector<Entry> entries_;
  std::unordered_map<std::string, std::size_t> index_;  // LinkKey -> position in entries_
};

}  // namespace quarlen
