#pragma once
// The links that left the article store while the feed may still carry them:
// trimmed by the keep limit (with the read state they had) or deleted by the
// user. The refresh cycle never takes such a link for a new article. Each
// link remembers the last day the feed carried it, so a feed that is briefly
// empty or short forgets nothing.
#include <chrono>
#include <cstddef>
#include <optional>
#include <string>
#include <string_view>
#include <unordered_map>
#include <unordered_set>
#include <vector>

namespace quarlen {

class GoneList {
 public:
  // The state of a deleted link; a trimmed one keeps its read entry ("read" or "unread").
  static constexpr const char* Deleted = "deleted";
  // A link the feed has not carried for more days than this is forgotten.
  static constexpr int MemoryDays = 7;
  // The most links the list holds; past it the longest-absent go first.
  static constexpr std::size_t MaxLinks = 10000;

  struct Entry {
    std::string state;  // "read", "unread" or "deleted"
    std::string link;
    std::chrono::sys_days carried;  // the last day the feed carried it
  };

  // The entries of the list file's lines ("<yyyy-mm-dd> <state> <link>", or
  // "<state> <link>" as saved before the lists kept dates: carried today). A
  // line of any other shape is dropped: at worst that article is announced once more.
  static GoneList FromLines(const std::vector<std::string>& lines, std::chrono::sys_days today);
  // The list file's lines, in the order the links left the store.
  std::vector<std::string> Lines() const;

  // The entry of link (compared by SameLink), or nullptr.
  const Entry* Find(std::string_view link) const;
  // Records link with state, carried on day, replacing an earlier entry of the same link.
  void Add(std::string link, std::string state, std::chrono::sys_days day);
  // Forgets link; nothing when it is not there.
  void Remove(std::string_view link);
  // One refresh's upkeep: the links whose keys are in carried were carried
  // today; those in taken are forgotten (back in the store), as is every link
  // not carried for more than MemoryDays; then the longest-absent go past MaxLinks.
  void Settle(const std::unordered_set<std::string>& carried, const std::unordered_set<std::string>& taken,
              std::chrono::sys_days today);

  std::size_t Count() const { return entries_.size(); }
  const std::vector<Entry>& Entries() const { return entries_; }

 private:
  // Forgets count links, the longest-absent first (entries_ only).
  void DropLongestAbsent(std::size_t count);
  // Moves e to position at of entries_ while compacting it.
  void KeepAt(std::size_t at, Entry& e);
  void Reindex();

  std::vector<Entry> entries_;
  std::unordered_map<std::string, std::size_t> index_;  // LinkKey -> position in entries_
};

// A day as "yyyy-mm-dd", and back (nullopt when text is not such a day).
std::string DayText(std::chrono::sys_days day);
std::optional<std::chrono::sys_days> ParseDayText(std::string_view text);

}  // namespace quarlen
