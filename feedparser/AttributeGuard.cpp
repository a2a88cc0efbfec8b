#include "feedparser/AttributeGuard.h"

#include <algorithm>
#include <array>
#include <cstddef>
#include <cstring>

namespace quarlen {

namespace {

// Markup characters are below 128 in every encoding read here. A document of
// 16- or 32-bit units (either byte order, known by a byte-order mark or by the
// zero bytes around the first "<") is narrowed to one byte a unit first, with
// every unit of 128 or more as 0x80, which is never markup.
std::size_t UnitWidth(std::string_view bytes, bool& bigEndian) {
  auto b = [&](std::size_t i) { return i < bytes.size() ? static_cast<unsigned char>(bytes[i]) : 0x100u; };
  bigEndian = false;
  if (b(0) == 0 && b(1) == 0 && (b(2) == 0xFE || b(2) == 0)) return bigEndian = true, 4;
  if ((b(0) == 0xFF && b(1) == 0xFE && b(2) == 0 && b(3) == 0) || (b(0) == '<' && b(1) == 0 && b(2) == 0 && b(3) == 0))
    return 4;
  if ((b(0) == 0xFE && b(1) == 0xFF) || (b(0) == 0 && b(1) == '<')) return bigEndian = true, 2;
  if ((b(0) == 0xFF && b(1) == 0xFE) || (b(0) == '<' && b(1) == 0)) return 2;
  return 1;
}

std::string Narrowed(std::string_view bytes, std::size_t width, bool bigEndian) {
  std::string narrow(bytes.size() / width, '\0');
  for (std::size_t i = 0; i < narrow.size(); ++i) {
    unsigned value = 0;
    for (std::size_t k = 0; k < width; ++k) {
      const std::size_t at = i * width + (bigEndian ? k : width - 1 - k);
      value = (value << 8) | static_cast<unsigned char>(bytes[at]);
    }
    narrow[i] = static_cast<char>(value < 0x80 ? value : 0x80);
  }
  return narrow;
}

// The bytes CountAttributes stops at.
constexpr std::array<bool, 256> InTagMarkup = [] {
  std::array<bool, 256> table{};
  for (unsigned char c : {'"', '\'', '=', '>'}) table[c] = true;
  return table;
}();

class Scanner {
 public:
  explicit Scanner(std::string_view text) : text_(text) {}

  std::optional<std::string> Run() {
    long long work = 0;
    while (Jump('<')) {
      ++pos_;
      // Element tags are nearly all there is: one byte tells them apart.
      const char next = pos_ < text_.size() ? text_[pos_] : '\0';
      if (next == '!' && Starts("!--")) {
        SkipPast("-->");
      } else if (next == '!' && Starts("![CDATA[")) {
        SkipPast("]]>");
      } else if (next == '?') {
        SkipPast("?>");
      } else if (next == '!') {
        SkipDeclaration();
      } else {
        const std::size_t start = pos_;
        const long long attributes = CountAttributes();
        if (attributes > MaxAttributesPerElement) {
          return "Element with more than " + std::to_string(MaxAttributesPerElement) + " attributes (line " +
                 LineAt(start) + ")";
        }
        work += attributes * attributes;
        if (work > MaxAttributeWork) return "Too many attributes in the document (line " + LineAt(start) + ")";
      }
    }
    return std::nullopt;
  }

 private:
  // Moves to the next c; false when there is none.
  bool Jump(char c) {
    if (pos_ >= text_.size()) return false;
    const void* found = std::memchr(text_.data() + pos_, c, text_.size() - pos_);
    if (found == nullptr) {
      pos_ = text_.size();
      return false;
    }
    pos_ = static_cast<std::size_t>(static_cast<const char*>(found) - text_.data());
    return true;
  }

  bool Starts(std::string_view what) const { return text_.substr(pos_, what.size()) == what; }

  void SkipPast(std::string_view end) {
    const std::size_t at = text_.find(end, pos_);
    pos_ = at == std::string_view::npos ? text_.size() : at + end.size();
  }

  // A quoted value may hold ">" and "=", which are not markup.
  void SkipQuoted(char quote) {
    if (Jump(quote)) ++pos_;
  }

  // <!DOCTYPE ...> with its internal subset in brackets, or a lone declaration.
  void SkipDeclaration() {
    int depth = 0;
    while (pos_ < text_.size()) {
      const char c = text_[pos_++];
      if (c == '"' || c == '\'') {
        SkipQuoted(c);
      } else if (c == '[') {
        ++depth;
      } else if (c == ']') {
        if (depth > 0) --depth;
      } else if (c == '>' && depth == 0) {
        return;
      }
    }
  }

  // A start or end tag: each attribute has exactly one "=" outside quotes.
  long long CountAttributes() {
    long long equals = 0;
    const std::size_t size = text_.size();
    const char* text = text_.data();
    while (pos_ < size) {
      // Names and blanks are skipped with one table look-up a byte (in a
      // local index the compiler keeps in a register): this pass runs over
      // every tag of every feed before the parse.
      std::size_t at = pos_;
      while (at < size && !InTagMarkup[static_cast<unsigned char>(text[at])]) ++at;
      pos_ = at;
      if (pos_ == size) break;
      const char c = text[pos_++];
      if (c == '"' || c == '\'') {
        SkipQuoted(c);
      } else if (c == '=') {
        ++equals;
      } else if (c == '>') {
        break;
      }
    }
    return equals;
  }

  std::string LineAt(std::size_t at) const {
    return std::to_string(1 + std::count(text_.begin(), text_.begin() + static_cast<std::ptrdiff_t>(at), '\n'));
  }

  std::string_view text_;
  std::size_t pos_ = 0;
};

}  // namespace

std::optional<std::string> AttributeFloodMessage(std::string_view xml) {
  bool bigEndian = false;
  const std::size_t width = UnitWidth(xml, bigEndian);
  if (width == 1) return Scanner(xml).Run();
  const std::string narrow = Narrowed(xml, width, bigEndian);
  return Scanner(narrow).Run();
}

}  // namespace quarlen
