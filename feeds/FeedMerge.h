#pragma once
// How one feed document changes the article store: its items merged in (new
// ones on top), the store trimmed to the keep limit, and the gone list kept.
#include <string>
#include <string_view>

#include "feedparser/SimpleRSS.h"

namespace quarlen {

class ArticleStore;

// Every "&" doubled (the grid draws with prefix processing), then every line
// feed removed. Carriage returns stay.
std::string CleanText(std::string_view text);

// The date entry of a feed item: author name, " - ", and "mmm d yyyy".
std::string ArticleDateText(const TRSSItem& item);

// Merges items into the store from the last item to the first: a link neither
// stored nor gone (letter case ignored) is inserted at the top as "unread"
// and added to latest and latest subject; a stored one is updated in place
// and keeps its read entry; a gone one is left alone. Returns the ticker of
// the newest new item ("" if none).
std::string MergeFeedItems(ArticleStore& store, const TRSSItems& items);

// Deletes the oldest articles past keep from url, subject, description, date,
// ticker and read, recording each link in the gone list with its read entry.
// The latest lists and the image lists are left alone.
void TrimArticles(ArticleStore& store, int keep);

// While the store holds fewer than keep articles, appends the trimmed gone
// links the items carry, in document order, with the read entry they had
// (not new: the latest lists stay). Deleted links never return. Then dates
// the gone links the items carry today and forgets those the feed has not
// carried for GoneList::MemoryDays (past GoneList::MaxLinks, the longest-absent).
void SettleGoneArticles(ArticleStore& store, const TRSSItems& items, int keep);

}  // namespace quarlen
