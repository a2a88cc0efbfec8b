#pragma once
// The settings file layout: header line, root element, one line per key with a
// two-space indent, CR LF line ends, "<Key/>" for an empty value and
// "<Root/>" for a document without keys.
#include <string>
#include <vector>

#include "settings/SettingsStore.h"

namespace quarlen {

// The value text as element content: "&", "<", ">", CR, LF and every
// non-ASCII character become decimal character references, so the parser gives
// back exactly the same text; plain printable ASCII is written as it is.
// Control characters that XML 1.0 cannot carry at all are left out; a byte that
// is not part of valid UTF-8 is taken as the Latin-1 character of that value.
std::string EscapeSettingsText(const std::string& utf8);

// The whole file content for a root element and its keys in order. Names are
// written unchanged; they must be XML names.
std::string WriteSettingsDocument(const std::string& rootName, const std::vector<SettingsEntry>& entries);

}  // namespace quarlen
