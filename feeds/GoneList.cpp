#include "feeds/GoneList.h"

#include <unordered_set>
#include <utility>

#include "platform/SameLink.h"

namespace quarlen {

namespace {

bool IsState(std::string_view state) { return state == "read" || state == "unread" || state == GoneList::Deleted; }

}  // namespace

GoneList GoneList::FromLines(const std::vector<std::string>& lines) {
  GoneList list;
  for (const std::string& line : lines) {
    // The state never holds a blank, so the first blank ends it and the link
    // may hold anything a list entry can.
    const std::size_t blank = line.find(' ');
    if (blank == std::string::npos) continue;  // an item without a link is "<state> " and kept too
    const std::string_view state(line.data(), blank);
    if (!IsState(state)) continue;
    list.Add(line.substr(blank + 1), std::string(state));
  }
  return list;
}

std::vector<std::string> GoneList::Lines() const {
  std::vector<std::string> lines;
  lines.reserve(entries_.size());
  for (const Entry& e : entries_) lines.push_back(e.state + ' ' + e.link);
  return lines;
}

// A feed may carry thousands of items, each looked up at every refresh; the
// key table keeps that linear rather than items times gone links.
const GoneList::Entry* GoneList::Find(std::string_view link) const {
  const auto it = index_.find(LinkKey(link));
  return it == index_.end() ? nullptr : &entries_[it->second];
}

void GoneList::Add(std::string link, std::string state) {
  std::string key = LinkKey(link);
  if (const auto it = index_.find(key); it != index_.end()) {
    entries_[it->second] = Entry{std::move(state), std::move(link)};
    return;
  }
  index_.emplace(std::move(key), entries_.size());
  entries_.push_back(Entry{std::move(state), std::move(link)});
}

void GoneList::Remove(std::string_view link) {
  const auto it = index_.find(LinkKey(link));
  if (it == index_.end()) return;
  entries_.erase(entries_.begin() + static_cast<std::ptrdiff_t>(it->second));
  Reindex();
}

void GoneList::KeepOnly(const std::vector<std::string>& links) {
  std::unordered_set<std::string> carried;
  for (const std::string& link : links) carried.insert(LinkKey(link));
  std::erase_if(entries_, [&](const Entry& e) { return !carried.contains(LinkKey(e.link)); });
  Reindex();
}

void GoneList::Reindex() {
  index_.clear();
  for (std::size_t i = 0; i < entries_.size(); ++i) index_.emplace(LinkKey(entries_[i].link), i);
}

}  // namespace quarlen
