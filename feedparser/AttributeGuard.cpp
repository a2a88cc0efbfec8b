#include "feedparser/AttributeGuard.h"

#include <cstddef>

namespace quarlen {

namespace {

// The document as a sequence of code units: bytes, or 16- or 32-bit units of
// either byte order, recognised by a byte-order mark or by the zero bytes
// around the first "<". Markup characters are all below 128 in every one of
// these, and a unit of 128 or more never counts as markup.
class CodeUnits {
 public:
  explicit CodeUnits(std::string_view bytes) : bytes_(bytes) {
    auto b = [&](std::size_t i) { return i < bytes.size() ? static_cast<unsigned char>(bytes[i]) : 0x100u; };
    if (b(0) == 0 && b(1) == 0 && (b(2) == 0xFE || b(2) == 0)) {
      width_ = 4, bigEndian_ = true;
    } else if (b(0) == 0xFF && b(1) == 0xFE && b(2) == 0 && b(3) == 0) {
      width_ = 4, bigEndian_ = false;
    } else if (b(0) == '<' && b(1) == 0 && b(2) == 0 && b(3) == 0) {
      width_ = 4, bigEndian_ = false;
    } else if ((b(0) == 0xFE && b(1) == 0xFF) || (b(0) == 0 && b(1) == '<')) {
      width_ = 2, bigEndian_ = true;
    } else if ((b(0) == 0xFF && b(1) == 0xFE) || (b(0) == '<' && b(1) == 0)) {
      width_ = 2, bigEndian_ = false;
    }
  }

  std::size_t Count() const { return bytes_.size() / width_; }

  unsigned At(std::size_t index) const {
    const std::size_t at = index * width_;
    unsigned value = 0;
    for (std::size_t k = 0; k < width_; ++k) {
      const std::size_t byte = bigEndian_ ? at + k : at + width_ - 1 - k;
      value = (value << 8) | static_cast<unsigned char>(bytes_[byte]);
    }
    return value;
  }

 private:
  std::string_view bytes_;
  std::size_t width_ = 1;
  bool bigEndian_ = false;
};

class Scanner {
 public:
  explicit Scanner(std::string_view xml) : units_(xml), count_(units_.Count()) {}

  std::optional<std::string> Run() {
    long long work = 0;
    while (pos_ < count_) {
      if (Next() != '<') continue;
      if (Starts("!--")) {
        SkipPast("-->");
      } else if (Starts("![CDATA[")) {
        SkipPast("]]>");
      } else if (Starts("?")) {
        SkipPast("?>");
      } else if (Starts("!")) {
        SkipDeclaration();
      } else {
        const long startLine = line_;
        const long long attributes = CountAttributes();
        if (attributes > MaxAttributesPerElement) {
          return "Element with more than " + std::to_string(MaxAttributesPerElement) + " attributes (line " +
                 std::to_string(startLine) + ")";
        }
        work += attributes * attributes;
        if (work > MaxAttributeWork) return "Too many attributes in the document (line " + std::to_string(startLine) + ")";
      }
    }
    return std::nullopt;
  }

 private:
  unsigned Next() {
    const unsigned unit = units_.At(pos_++);
    if (unit == '\n') ++line_;
    return unit;
  }

  bool Starts(std::string_view text) const {
    for (std::size_t k = 0; k < text.size(); ++k) {
      if (pos_ + k >= count_ || units_.At(pos_ + k) != static_cast<unsigned char>(text[k])) return false;
    }
    return true;
  }

  void SkipPast(std::string_view end) {
    while (pos_ < count_ && !Starts(end)) Next();
    for (std::size_t k = 0; k < end.size() && pos_ < count_; ++k) Next();
  }

  // A quoted value may hold ">" and "=", which are not markup.
  void SkipQuoted(unsigned quote) {
    while (pos_ < count_ && Next() != quote) {
    }
  }

  // <!DOCTYPE ...> with its internal subset in brackets, or a lone declaration.
  void SkipDeclaration() {
    int depth = 0;
    while (pos_ < count_) {
      const unsigned unit = Next();
      if (unit == '"' || unit == '\'') {
        SkipQuoted(unit);
      } else if (unit == '[') {
        ++depth;
      } else if (unit == ']') {
        if (depth > 0) --depth;
      } else if (unit == '>' && depth == 0) {
        return;
      }
    }
  }

  // A start or end tag: each attribute has exactly one "=" outside quotes.
  long long CountAttributes() {
    long long equals = 0;
    while (pos_ < count_) {
      const unsigned unit = Next();
      if (unit == '"' || unit == '\'') {
        SkipQuoted(unit);
      } else if (unit == '=') {
        ++equals;
      } else if (unit == '>') {
        break;
      }
    }
    return equals;
  }

  CodeUnits units_;
  std::size_t count_;
  std::size_t pos_ = 0;
  long line_ = 1;
};

}  // namespace

std::optional<std::string> AttributeFloodMessage(std::string_view xml) { return Scanner(xml).Run(); }

}  // namespace quarlen
