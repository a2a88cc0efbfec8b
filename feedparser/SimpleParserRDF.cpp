#include "feedparser/SimpleParserRDF.h"

namespace quarlen {

void TSimpleParserRDF::ParseDocument() {
  // No required channel elements and no early stop: an RDF document may
  // carry nothing but items.
  for (const TXMLNode& child : DocumentElement().ChildNodes()) {
    if (child.NodeType() != TNodeType::Element) continue;
    if (child.NodeNameIs(feedname::Channel)) {
      ReadChannel(child);
    } else if (child.NodeNameIs(feedname::Item)) {
      ReadItem(child);
    } else {
      ReadChannelElement(child);
    }
  }
}

void TSimpleParserRDF::ReadChannel(const TXMLNode& channel) {
  // Everything else inside "channel" (the items sequence, image and text
  // input references, Dublin Core elements) only points at siblings.
  TRSSChannelReq& required = Channel().Required();
  for (const TXMLNode& child : channel.ChildNodes()) {
    if (child.NodeType() != TNodeType::Element) continue;
    if (child.NodeNameIs(feedname::Title)) {
      required.SetTitle(Value(child));
    } else if (child.NodeNameIs(feedname::Link)) {
      required.SetLink(Value(child));
    } else if (child.NodeNameIs(feedname::Description)) {
      required.SetDesc(Value(child));
    }
  }
}

void TSimpleParserRDF::ReadItem(const TXMLNode& element) {
  namespace n = feedname;
  TRSSItem& item = Items().Add();
  const TXMLNodeList children = element.ChildNodes();
  const TXMLNode title = children.FindNode(n::Title);
  const TXMLNode description = children.FindNode(n::Description);
  if (!title && !description) RaiseMissing(n::Item, n::Title);

  // RSS 1.0 knows no "ticker" or "content" in an item, and its description
  // is plain text, so it is read as a value rather than a rich value.
  if (title) item.SetTitle(Value(title));
  if (const TXMLNode link = children.FindNode(n::Link)) item.SetLink(Value(link));
  if (description) item.SetDescription(Value(description));
  if (const TXMLNode author = children.FindNode(n::Author)) item.Author().SetName(Value(author));
  if (const TXMLNode comments = children.FindNode(n::Comments)) item.SetComments(Value(comments));
  if (const TXMLNode date = children.FindNode(n::DcDate)) item.PubDate().ParseISO8601Date(Value(date));
  if (const TXMLNode enclosure = children.FindNode(n::Enclosure)) ReadEnclosure(enclosure, item);
  if (const TXMLNode guid = children.FindNode(n::Guid)) ReadGUID(guid, item, false);
  if (const TXMLNode pubDate = children.FindNode(n::PubDate)) item.PubDate().ParseRFC822Date(Value(pubDate));
  if (const TXMLNode source = children.FindNode(n::Source)) ReadSource(source, item);
  ReadItemCategories(children, item);
}

}  // namespace quarlen
