#include "feeds/GoneList.h"

#include <algorithm>
#include <cstdio>
#include <utility>

#include "platform/AsciiText.h"
#include "platform/SameLink.h"

namespace quarlen {

namespace {

bool IsState(std::string_view state) { return state == "read" || state == "unread" || state == GoneList::Deleted; }

bool IsDigits(std::string_view text) { return std::all_of(text.begin(), text.end(), IsAsciiDigit); }

int Number(std::string_view digits) {
  int n = 0;
  for (char c : digits) n = n * 10 + (c - '0');
  return n;
}

}  // namespace

void GoneList::KeepAt(std::size_t at, Entry& e) {
  if (&entries_[at] != &e) entries_[at] = std::move(e);
}

std::string DayText(std::chrono::sys_days day) {
  const std::chrono::year_month_day ymd(day);
  char text[16];
  std::snprintf(text, sizeof text, "%04d-%02u-%02u", static_cast<int>(ymd.year()), static_cast<unsigned>(ymd.month()),
                static_cast<unsigned>(ymd.day()));
  return text;
}

std::optional<std::chrono::sys_days> ParseDayText(std::string_view text) {
  if (text.size() != 10 || text[4] != '-' || text[7] != '-') return std::nullopt;
  const std::string_view y = text.substr(0, 4), m = text.substr(5, 2), d = text.substr(8, 2);
  if (!IsDigits(y) || !IsDigits(m) || !IsDigits(d)) return std::nullopt;
  const std::chrono::year_month_day ymd{std::chrono::year(Number(y)), std::chrono::month(Number(m)),
                                        std::chrono::day(Number(d))};
  if (!ymd.ok()) return std::nullopt;
  return std::chrono::sys_days(ymd);
}

GoneList GoneList::FromLines(const std::vector<std::string>& lines, std::chrono::sys_days today) {
  GoneList list;
  for (const std::string& line : lines) {
    // The day leads the line, so an older reader, which takes the first word
    // for the state, drops the line rather than reading a wrong link; a line
    // from before the days were kept starts with its state and counts as
    // carried today, which keeps it for the full memory from now on.
    std::string_view rest(line);
    std::chrono::sys_days carried = today;
    if (const std::size_t blank = rest.find(' '); blank != std::string_view::npos) {
      if (const auto day = ParseDayText(rest.substr(0, blank))) {
        carried = *day;
        rest.remove_prefix(blank + 1);
      }
    }
    // The state never holds a blank, so the first blank ends it and the link
    // may hold anything a list entry can.
    const std::size_t blank = rest.find(' ');
    if (blank == std::string_view::npos) continue;  // an item without a link is "<state> " and kept too
    const std::string_view state = rest.substr(0, blank);
    if (!IsState(state)) continue;
    list.Add(std::string(rest.substr(blank + 1)), std::string(state), carried);
  }
  return list;
}

std::vector<std::string> GoneList::Lines() const {
  std::vector<std::string> lines;
  lines.reserve(entries_.size());
  for (const Entry& e : entries_) lines.push_back(DayText(e.carried) + ' ' + e.state + ' ' + e.link);
  return lines;
}

// A feed may carry thousands of items, each looked up at every refresh; the
// key table keeps that linear rather than items times gone links.
const GoneList::Entry* GoneList::Find(std::string_view link) const {
  const auto it = index_.find(LinkKey(link));
  return it == index_.end() ? nullptr : &entries_[it->second];
}

void GoneList::Add(std::string link, std::string state, std::chrono::sys_days day) {
  std::string key = LinkKey(link);
  if (const auto it = index_.find(key); it != index_.end()) {
    entries_[it->second] = Entry{std::move(state), std::move(link), day};
    return;
  }
  index_.emplace(std::move(key), entries_.size());
  entries_.push_back(Entry{std::move(state), std::move(link), day});
}

void GoneList::Remove(std::string_view link) {
  const auto it = index_.find(LinkKey(link));
  if (it == index_.end()) return;
  entries_.erase(entries_.begin() + static_cast<std::ptrdiff_t>(it->second));
  Reindex();
}

void GoneList::Settle(const std::unordered_set<std::string>& carried, const std::unordered_set<std::string>& taken,
                      std::chrono::sys_days today) {
  // A feed that is empty or short for a while (a publishing system
  // rebuilding it) must not wipe the list: the next full feed would bring
  // its older items back as news and deleted articles with them. So a link
  // is forgotten only after a week without the feed carrying it.
  const std::chrono::sys_days oldest = today - std::chrono::days(MemoryDays);
  std::size_t kept = 0;
  for (Entry& e : entries_) {
    const std::string key = LinkKey(e.link);
    if (taken.contains(key)) continue;
    if (carried.contains(key)) e.carried = std::max(e.carried, today);
    if (e.carried < oldest) continue;
    KeepAt(kept++, e);
  }
  entries_.resize(kept);
  if (entries_.size() > MaxLinks) DropLongestAbsent(entries_.size() - MaxLinks);
  Reindex();
}

void GoneList::DropLongestAbsent(std::size_t count) {
  // The days up to the count-th longest absence go whole; of the last of
  // them, the links that left the store first.
  std::vector<std::chrono::sys_days> days;
  days.reserve(entries_.size());
  for (const Entry& e : entries_) days.push_back(e.carried);
  const auto nth = days.begin() + static_cast<std::ptrdiff_t>(count - 1);
  std::nth_element(days.begin(), nth, days.end());
  const std::chrono::sys_days boundary = *nth;
  const auto before = static_cast<std::size_t>(
      std::count_if(entries_.begin(), entries_.end(), [&](const Entry& e) { return e.carried < boundary; }));
  std::size_t ofBoundary = count - before;
  std::size_t kept = 0;
  for (Entry& e : entries_) {
    if (e.carried < boundary) continue;
    if (e.carried == boundary && ofBoundary > 0) {
      --ofBoundary;
      continue;
    }
    KeepAt(kept++, e);
  }
  entries_.resize(kept);
}

void GoneList::Reindex() {
  index_.clear();
  index_.reserve(entries_.size());
  for (std::size_t i = 0; i < entries_.size(); ++i) index_.emplace(LinkKey(entries_[i].link), i);
}

}  // namespace quarlen
