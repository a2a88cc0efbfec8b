#pragma once
// The one rule by which two article links are the same article.

#include <string>
#include <string_view>

namespace quarlen {

// True when a and b are equal with letter case folded for ASCII letters only;
// every other byte (UTF-8 sequences included) must match exactly. The store
// keeps its links distinct under this rule, so the grid must use it too.
bool SameLink(std::string_view a, std::string_view b);

// The link with its ASCII letters lowered: two links have the same key exactly
// when SameLink calls them equal, so it can key a lookup table.
std::string LinkKey(std::string_view link);

}  // namespace quarlen
