#pragma once
// Finds a start tag with too many attributes in an XML text before the parser
// sees it: libxml2 takes time that grows with the square of an element's
// attribute count, and feeds are parsed on the user-interface thread.
#include <cstddef>
#include <optional>
#include <string_view>

namespace quarlen {

// The most attributes one element of a feed may carry.
inline constexpr std::size_t MaxAttributesPerElement = 1000;

// The byte offset of the first tag holding more than limit attributes
// (counted as the "=" signs outside quoted values); std::nullopt when there is
// none. Comments, CDATA sections and processing instructions are skipped.
std::optional<std::size_t> FindCrowdedElement(std::string_view xml, std::size_t limit = MaxAttributesPerElement);

}  // namespace quarlen
