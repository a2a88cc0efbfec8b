#include "platform/SameLink.h"

#include "platform/AsciiText.h"

namespace quarlen {

// Host names and schemes are ASCII and fold; anything else in a URL is either
// percent-encoded or significant, so folding only ASCII keeps two links that
// differ in a Cyrillic letter apart, as the list files already hold them.
bool SameLink(std::string_view a, std::string_view b) { return EqualsIgnoringAsciiCase(a, b); }

std::string LinkKey(std::string_view link) { return AsciiLowered(link); }

}  // namespace quarlen
