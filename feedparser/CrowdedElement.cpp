#include "feedparser/CrowdedElement.h"

namespace quarlen {

namespace {
bool StartsWith(std::string_view text, std::size_t at, std::string_view prefix) {
  return text.compare(at, prefix.size(), prefix) == 0;
}
}  // namespace

std::optional<std::size_t> FindCrowdedElement(std::string_view xml, std::size_t limit) {
  // One pass and no tree: it runs on every feed before the real parse.
  constexpr auto npos = std::string_view::npos;
  std::size_t i = 0;
  while ((i = xml.find('<', i)) != npos) {
    std::string_view end;
    if (StartsWith(xml, i, "<!--")) {
      end = "-->";
    } else if (StartsWith(xml, i, "<![CDATA[")) {
      end = "]]>";
    } else if (StartsWith(xml, i, "<?")) {
      end = "?>";
    }
    if (!end.empty()) {
      const std::size_t close = xml.find(end, i + 2);
      if (close == npos) return std::nullopt;
      i = close + end.size();
      continue;
    }
    const std::size_t start = i++;
    std::size_t count = 0;
    char quote = 0;
    for (; i < xml.size(); ++i) {
      const char c = xml[i];
      if (quote != 0) {
        if (c == quote) quote = 0;
      } else if (c == '"' || c == '\'') {
        quote = c;
      } else if (c == '=') {
        if (++count > limit) return start;
      } else if (c == '>' || c == '<') {
        // A "<" here is a declaration inside the document type or a malformed
        // tag; the scan goes on from it and the parser reports the fault.
        break;
      }
    }
    if (i < xml.size() && xml[i] == '>') ++i;
  }
  return std::nullopt;
}

}  // namespace quarlen
