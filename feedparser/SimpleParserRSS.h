#pragma once

// The reader of RSS 0.91, 0.92 and 2.0 documents, with the item extensions
// "ticker", "content", "content:encoded" and "dc:date".

#include "feedparser/SimpleParserBase.h"

namespace quarlen {

class TSimpleParserRSS : public TSimpleParserBase {
 public:
  using TSimpleParserBase::TSimpleParserBase;

  // Reads rss/channel into the owner's Channel and Items. Throws
  // TSimpleRSSException "Required Field Missing. Field: ..." for a missing
  // required element or attribute, and the DOM's or a conversion error for a
  // value that cannot be read; what was read before a failure stays.
  void ParseDocument() override;

 private:
  void ReadItem(const TXMLNode& element);
};

}  // namespace quarlen
