#pragma once

// A look at a document's raw bytes, before libxml2 parses it, for elements
// with so many attributes that the parse would block for seconds.

#include <optional>
#include <string>
#include <string_view>

namespace quarlen {

// Most attributes one element may carry.
inline constexpr int MaxAttributesPerElement = 1000;
// Most attributes a document may carry, counted as the sum over its elements
// of the square of each element's attribute count.
inline constexpr long long MaxAttributeWork = 64LL * 1000 * 1000;

// The refusal message when an element of xml has more than
// MaxAttributesPerElement attributes or the whole document exceeds
// MaxAttributeWork; nothing when the document may go to the parser. Reads
// single-byte, UTF-8, UTF-16 and UTF-32 documents.
std::optional<std::string> AttributeFloodMessage(std::string_view xml);

}  // namespace quarlen
