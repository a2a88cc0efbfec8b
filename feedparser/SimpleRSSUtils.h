#pragma once

// Functions the three feed readers share: language codes, base64 content,
// skip hours and days, and the conversion of node values to text and numbers.

#include "feedparser/FeedError.h"
#include "feedparser/SimpleRSSConst.h"
#include "feedparser/Utf8.h"
#include "feedparser/XmlDom.h"

#include <stdexcept>
#include <string>
#include <string_view>

namespace quarlen {

class TSimpleRSS;

// A node value that cannot become the text or number a reader needs: an
// empty element or attribute, or a number that is not a 32-bit integer.
class TValueConversionError : public TFeedError {
 public:
  using TFeedError::TFeedError;
};

// The language whose LanguageCodes entry equals code exactly (case counts);
// langX when none does.
TLanguages LanguageFromCode(std::string_view code);

// Plain: text unchanged. Otherwise the base64 decoding of text: white space
// (line breaks of wrapped content) is skipped, and decoding stops at "=" or
// at the first other character outside the base64 alphabet.
std::string DecodeBase64Text(bool plain, std::string_view text);

// Sets SkipHours flag h for each child of node whose value is exactly the
// text of h (0..23, no leading zero, no blanks). Flags are never cleared.
void ReadSkipHours(const TXMLNode& node, TSimpleRSS& owner);

// The same with the day names "Monday" ... "Sunday" and SkipDays.
void ReadSkipDays(const TXMLNode& node, TSimpleRSS& owner);

// The node's value as text; a null value (empty element or attribute) throws
// TValueConversionError, other content the DOM's TXMLDocError.
std::string NodeText(const TXMLNode& node);

// The node's value as a 32-bit integer (optional sign, decimal digits,
// leading blanks allowed); anything else throws TValueConversionError.
int NodeInteger(const TXMLNode& node);

// The conversion behind NodeInteger; what names the value in the message.
int TextToInteger(std::string_view text, std::string_view what);

}  // namespace quarlen
