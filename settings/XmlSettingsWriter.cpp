#include "settings/XmlSettingsWriter.h"

#include <cstdint>

namespace quarlen {

namespace {

constexpr const char* LineEnd = "\r\n";
constexpr const char* Header = "<?xml version=\"1.0\" encoding=\"iso-8859-1\"?>";

void AppendReference(std::string& out, std::uint32_t codePoint) {
  out += "&#";
  out += std::to_string(codePoint);
  out += ';';
}

// Length of the UTF-8 sequence that starts at text[i] and its code point, or 0
// when the bytes there are not a valid, shortest-form sequence.
std::size_t DecodeUtf8(const std::string& text, std::size_t i, std::uint32_t& codePoint) {
  const auto byte = [&](std::size_t k) { return static_cast<unsigned char>(text[k]); };
  const unsigned char lead = byte(i);
  std::size_t length;
  std::uint32_t minimum;
  if (lead >= 0xC2 && lead <= 0xDF) {
    length = 2, minimum = 0x80, codePoint = lead & 0x1F;
  } else if (lead >= 0xE0 && lead <= 0xEF) {
    length = 3, minimum = 0x800, codePoint = lead & 0x0F;
  } else if (lead >= 0xF0 && lead <= 0xF4) {
    length = 4, minimum = 0x10000, codePoint = lead & 0x07;
  } else {
    return 0;
  }
  if (i + length > text.size()) return 0;
  for (std::size_t k = 1; k < length; ++k) {
    if ((byte(i + k) & 0xC0) != 0x80) return 0;
    codePoint = (codePoint << 6) | (byte(i + k) & 0x3F);
  }
  if (codePoint < minimum || codePoint > 0x10FFFF || (codePoint >= 0xD800 && codePoint <= 0xDFFF)) return 0;
  return length;
}

// Characters XML 1.0 allows at all, as text or as a reference.
bool XmlCharacter(std::uint32_t c) {
  return c == 0x9 || c == 0xA || c == 0xD || (c >= 0x20 && c <= 0xD7FF) || (c >= 0xE000 && c <= 0xFFFD) ||
         (c >= 0x10000 && c <= 0x10FFFF);
}

}  // namespace

std::string EscapeSettingsText(const std::string& utf8) {
  std::string out;
  out.reserve(utf8.size());
  for (std::size_t i = 0; i < utf8.size();) {
    const unsigned char c = static_cast<unsigned char>(utf8[i]);
    if (c < 0x80) {
      ++i;
      if (c == '&' || c == '<' || c == '>' || c == '\r' || c == '\n') {
        // CR and LF as references: the parser would turn a raw CR into LF, and
        // a raw line break would split the key's line.
        AppendReference(out, c);
      } else if (XmlCharacter(c)) {
        out += static_cast<char>(c);
      }
      continue;
    }
    std::uint32_t codePoint = 0;
    const std::size_t length = DecodeUtf8(utf8, i, codePoint);
    if (length == 0) {
      codePoint = c;
      i += 1;
    } else {
      i += length;
    }
    if (XmlCharacter(codePoint)) AppendReference(out, codePoint);
  }
  return out;
}

std::string WriteSettingsDocument(const std::string& rootName, const std::vector<SettingsEntry>& entries) {
  std::string out = Header;
  out += LineEnd;
  if (entries.empty()) {
    out += '<' + rootName + "/>" + LineEnd;
    return out;
  }
  out += '<' + rootName + '>' + LineEnd;
  for (const SettingsEntry& entry : entries) {
    const std::string text = EscapeSettingsText(entry.value);
    out += "  <" + entry.name;
    if (text.empty()) {
      out += "/>";
    } else {
      out += '>' + text + "</" + entry.name + '>';
    }
    out += LineEnd;
  }
  out += "</" + rootName + '>' + LineEnd;
  return out;
}

}  // namespace quarlen
