#include "feedparser/SimpleRSSUtils.h"

#include "feedparser/SimpleRSS.h"

#include <boost/beast/core/detail/base64.hpp>

#include <charconv>
#include <limits>

namespace quarlen {

namespace {

std::string Describe(const TXMLNode& node) {
  const char* kind = node.NodeType() == TNodeType::Attribute ? "Attribute" : "Element";
  return std::string(kind) + " \"" + node.NodeName() + "\"";
}

// The hour a skip-hours text names, -1 when it names none ("07" and " 7" do not).
int HourOfText(std::string_view text) {
  if (text.empty() || text.size() > 2) return -1;
  if (text.size() == 2 && text[0] == '0') return -1;
  int hour = 0;
  for (char c : text) {
    if (c < '0' || c > '9') return -1;
    hour = hour * 10 + (c - '0');
  }
  return hour < 24 ? hour : -1;
}

}  // namespace

TLanguages LanguageFromCode(std::string_view code) {
  for (std::size_t i = 0; i < LanguageCodes.size(); ++i) {
    if (LanguageCodes[i] == code) return static_cast<TLanguages>(i);
  }
  return langX;
}

std::string DecodeBase64Text(bool plain, std::string_view text) {
  if (plain) return std::string(text);
  std::string compact;
  compact.reserve(text.size());
  for (char c : text) {
    if (c != ' ' && c != '\t' && c != '\r' && c != '\n') compact.push_back(c);
  }
  std::string decoded((compact.size() + 3) / 4 * 3, '\0');
  const auto [written, read] = boost::beast::detail::base64::decode(decoded.data(), compact.data(), compact.size());
  (void)read;
  decoded.resize(written);
  return decoded;
}

void ReadSkipHours(const TXMLNode& node, TSimpleRSS& owner) {
  TRSSChannelSkipHours& hours = owner.Channel().Optional().SkipHours();
  for (const TXMLNode& child : node.ChildNodes()) {
    const auto value = child.NodeValue();
    if (!value) continue;
    const int hour = HourOfText(*value);
    if (hour >= 0) hours.SetHour(hour, true);
  }
}

void ReadSkipDays(const TXMLNode& node, TSimpleRSS& owner) {
  TRSSChannelSkipDays& days = owner.Channel().Optional().SkipDays();
  for (const TXMLNode& child : node.ChildNodes()) {
    const auto value = child.NodeValue();
    if (!value) continue;
    for (std::size_t d = 0; d < DayNames.size(); ++d) {
      if (*value == DayNames[d]) days.SetDay(static_cast<TSkipDay>(d), true);
    }
  }
}

std::string NodeText(const TXMLNode& node) {
  auto value = node.NodeValue();
  if (!value) throw TValueConversionError(Describe(node) + " has no value");
  return std::move(*value);
}

int NodeInteger(const TXMLNode& node) { return TextToInteger(NodeText(node), node.NodeName()); }

int TextToInteger(std::string_view text, std::string_view what) {
  std::string_view digits = text;
  while (!digits.empty() &&
         (digits.front() == ' ' || digits.front() == '\t' || digits.front() == '\r' || digits.front() == '\n')) {
    digits.remove_prefix(1);
  }
  bool negative = false;
  if (!digits.empty() && (digits.front() == '+' || digits.front() == '-')) {
    negative = digits.front() == '-';
    digits.remove_prefix(1);
  }
  long long value = 0;
  bool ok = !digits.empty();
  for (char c : digits) {
    if (c < '0' || c > '9') {
      ok = false;
      break;
    }
    value = value * 10 + (c - '0');
    if (value > static_cast<long long>(std::numeric_limits<int>::max()) + 1) {
      ok = false;
      break;
    }
  }
  if (negative) value = -value;
  if (!ok || value > std::numeric_limits<int>::max() || value < std::numeric_limits<int>::min()) {
    throw TValueConversionError("'" + std::string(text) + "' is not a valid integer value for \"" + std::string(what) +
                                "\"");
  }
  return static_cast<int>(value);
}

}  // namespace quarlen
