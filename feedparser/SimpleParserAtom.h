#pragma once

// The Atom 0.3 reader: the feed header (the "head" child when there is one,
// else the document element) becomes the channel, its "entry" children the
// items. RSS 2.0 names are accepted where Atom has none of its own.
// Throws at the first failure; what was read up to then stays in the model.

#include "feedparser/SimpleParserBase.h"

namespace quarlen {

class TSimpleParserAtom : public TSimpleParserBase {
 public:
  using TSimpleParserBase::TSimpleParserBase;

  void ParseDocument() override;

 private:
  // Title, link href, tagline, generator and modified of the header node.
  void ReadAtomHeader(const TXMLNode& header);
  void ReadEntry(const TXMLNode& element);
};

}  // namespace quarlen
