#include "feeds/FeedMerge.h"

#include <algorithm>
#include <iterator>
#include <unordered_map>
#include <unordered_set>
#include <utility>
#include <vector>

#include "feeds/ArticleStore.h"
#include "feeds/GoneList.h"
#include "platform/SameLink.h"

namespace quarlen {

namespace {

constexpr const char* UnreadEntry = "unread";
constexpr const char* ReadEntry = "read";

// Writes entry k of a list the merge updates; a list that the load left
// shorter than url (it cannot be after CheckLists) is grown rather than
// written past its end.
void SetEntry(std::vector<std::string>& list, std::size_t k, std::string value) {
  if (list.size() <= k) list.resize(k + 1);
  list[k] = std::move(value);
}

}  // namespace

std::string CleanText(std::string_view text) {
  std::string out;
  out.reserve(text.size() + 8);
  for (char c : text) {
    if (c == '\n') continue;
    out += c;
    if (c == '&') out += '&';
  }
  return out;
}

std::string ArticleDateText(const TRSSItem& item) { return item.Author().Name() + " - " + item.PubDate().DateText(); }

// A feed of tens of thousands of items against a store as large: every
// look-up goes through a key table, and the new articles go to the front in
// one insertion per list, so the merge stays linear in the feed.
std::string MergeFeedItems(ArticleStore& store, const TRSSItems& items) {
  struct NewArticle {
    std::string url, subject, description, date, ticker, latest, latestSubject;
  };
  std::unordered_map<std::string, std::size_t> stored;  // LinkKey -> first position in url
  stored.reserve(store.url.size());
  for (std::size_t k = 0; k < store.url.size(); ++k) stored.emplace(LinkKey(store.url[k]), k);
  std::unordered_map<std::string, std::size_t> added;  // LinkKey -> position in fresh
  std::vector<NewArticle> fresh;                       // in the order found: the last one goes on top

  std::string newestNewTicker;
  for (int i = items.Count() - 1; i >= 0; --i) {
    const TRSSItem& item = items[i];
    std::string key = LinkKey(item.Link());
    // A link found new earlier in this merge already stands above the stored
    // ones, so a second item of it updates that article.
    if (const auto it = added.find(key); it != added.end()) {
      NewArticle& article = fresh[it->second];
      article.url = item.Link();
      article.subject = CleanText(item.Title());
      article.description = CleanText(item.Description());
      article.date = ArticleDateText(item);
      article.ticker = item.Ticker();
      continue;
    }
    const auto it = stored.find(key);
    // An article the store held once is no news while the feed still carries
    // it, even after the keep limit trimmed it or the user deleted it.
    if (it == stored.end() && store.gone.Find(item.Link())) continue;
    if (it == stored.end()) {
      added.emplace(std::move(key), fresh.size());
      fresh.push_back(NewArticle{item.Link(), CleanText(item.Title()), CleanText(item.Description()),
                                 ArticleDateText(item), item.Ticker(), item.Link(), item.Title()});
      newestNewTicker = item.Ticker();
    } else {
      const std::size_t at = it->second;
      SetEntry(store.url, at, item.Link());
      SetEntry(store.subject, at, CleanText(item.Title()));
      SetEntry(store.description, at, CleanText(item.Description()));
      SetEntry(store.date, at, ArticleDateText(item));
      SetEntry(store.ticker, at, item.Ticker());
    }
  }

  auto prepend = [&fresh](std::vector<std::string>& list, std::string NewArticle::*field) {
    std::vector<std::string> front;
    front.reserve(fresh.size() + list.size());
    for (auto article = fresh.rbegin(); article != fresh.rend(); ++article) front.push_back(std::move(*article.*field));
    std::move(list.begin(), list.end(), std::back_inserter(front));
    list = std::move(front);
  };
  if (fresh.empty()) return newestNewTicker;
  prepend(store.url, &NewArticle::url);
  prepend(store.subject, &NewArticle::subject);
  prepend(store.description, &NewArticle::description);
  prepend(store.date, &NewArticle::date);
  prepend(store.ticker, &NewArticle::ticker);
  prepend(store.latest, &NewArticle::latest);
  prepend(store.latest_subject, &NewArticle::latestSubject);
  std::vector<std::string> unread(fresh.size(), UnreadEntry);
  store.read.insert(store.read.begin(), unread.begin(), unread.end());
  return newestNewTicker;
}

void TrimArticles(ArticleStore& store, int keep) {
  const std::size_t limit = static_cast<std::size_t>(std::max(keep, 0));
  if (store.url.size() <= limit) return;
  const std::chrono::sys_days today = store.Today();
  for (std::size_t j = limit; j < store.url.size(); ++j) {
    const bool wasRead = j < store.read.size() && store.read[j] == ReadEntry;
    store.gone.Add(store.url[j], wasRead ? ReadEntry : UnreadEntry, today);
  }
  for (auto* list : {&store.url, &store.subject, &store.description, &store.date, &store.ticker, &store.read}) {
    if (list->size() > limit) list->resize(limit);
  }
}

void SettleGoneArticles(ArticleStore& store, const TRSSItems& items, int keep) {
  // Room below the keep limit (a raised limit, a deleted article) is filled
  // with the trimmed articles the feed still carries: below the stored ones,
  // which are newer, and with the read state the user left them in.
  // Key tables keep it linear: the links taken back leave the gone list in
  // one pass at the end, not one removal (and reindexing) each.
  const std::size_t limit = static_cast<std::size_t>(std::max(keep, 0));
  std::unordered_set<std::string> stored;
  stored.reserve(store.url.size());
  for (const std::string& link : store.url) stored.insert(LinkKey(link));
  std::unordered_set<std::string> taken;    // keys of the gone links no longer gone
  std::unordered_set<std::string> carried;  // keys of every link the feed carries
  carried.reserve(static_cast<std::size_t>(items.Count()));
  for (int i = 0; i < items.Count(); ++i) {
    const TRSSItem& item = items[i];
    std::string key = LinkKey(item.Link());
    carried.insert(key);
    const GoneList::Entry* gone = taken.contains(key) ? nullptr : store.gone.Find(item.Link());
    if (store.url.size() >= limit || !gone || gone->state == GoneList::Deleted) continue;
    if (stored.contains(key)) {  // list files edited by hand: never a second copy
      taken.insert(std::move(key));
      continue;
    }
    store.url.push_back(item.Link());
    store.subject.push_back(CleanText(item.Title()));
    store.description.push_back(CleanText(item.Description()));
    store.date.push_back(ArticleDateText(item));
    store.ticker.push_back(item.Ticker());
    store.read.push_back(gone->state);
    stored.insert(key);
    taken.insert(std::move(key));
  }
  // The links taken back leave the list; those the feed carries are dated
  // today, and the list forgets only what it has not carried for a week.
  store.gone.Settle(carried, taken, store.Today());
}

}  // namespace quarlen
