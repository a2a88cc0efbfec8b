#pragma once

// The RDF (RSS 1.0) reader: items, image, text input and the other channel
// elements are siblings of "channel" under the document element; only the
// channel's title, link and description are taken from inside "channel".
// Throws at the first failure; what was read up to then stays in the model.

#include "feedparser/SimpleParserBase.h"

namespace quarlen {

class TSimpleParserRDF : public TSimpleParserBase {
 public:
  using TSimpleParserBase::TSimpleParserBase;

  void ParseDocument() override;

 private:
  void ReadChannel(const TXMLNode& channel);
  void ReadItem(const TXMLNode& element);
};

}  // namespace quarlen
