#include "feedparser/SimpleParserRSS.h"

namespace quarlen {

void TSimpleParserRSS::ParseDocument() {
  namespace n = feedname;
  // Asked for by name: a missing channel is created empty, so a document
  // without one fails on its title below.
  const TXMLNode channel = DocumentElement().ChildNodes().Nodes(n::Channel);
  const TXMLNodeList children = channel.ChildNodes();
  for (std::string_view required : {n::Title, n::Link, n::Description}) {
    if (!children.FindNode(required)) RaiseMissing(required);
  }
  // A channel without items and categories is taken as having nothing to
  // say: even its title keeps the placeholder.
  if (!children.FindNode(n::Item) && !children.FindNode(n::Category)) return;

  for (const TXMLNode& child : children) {
    if (child.NodeType() != TNodeType::Element) continue;
    if (child.NodeNameIs(n::Item)) {
      ReadItem(child);
    } else {
      ReadChannelElement(child);
    }
  }
}

void TSimpleParserRSS::ReadItem(const TXMLNode& element) {
  namespace n = feedname;
  TRSSItem& item = Items().Add();
  const TXMLNodeList children = element.ChildNodes();
  const TXMLNode title = children.FindNode(n::Title);
  const TXMLNode description = children.FindNode(n::Description);
  if (!title && !description) RaiseMissing(n::Item, n::Title);

  if (title) item.SetTitle(Value(title));
  if (const TXMLNode node = children.FindNode(n::Ticker)) item.SetTicker(Value(node));
  if (const TXMLNode node = children.FindNode(n::Link)) item.SetLink(Value(node));
  // Later rows replace earlier ones: description over content:encoded over content.
  if (const TXMLNode node = children.FindNode(n::Content)) item.SetDescription(RichValue(node));
  if (const TXMLNode node = children.FindNode(n::ContentEncoded)) item.SetDescription(RichValue(node));
  if (description) item.SetDescription(RichValue(description));
  if (const TXMLNode node = children.FindNode(n::Author)) item.Author().SetName(Value(node));
  if (const TXMLNode node = children.FindNode(n::Comments)) item.SetComments(Value(node));
  // dc:date may leave its zone in TimeZone even when pubDate sets the time.
  if (const TXMLNode node = children.FindNode(n::DcDate)) item.PubDate().ParseISO8601Date(Value(node));
  if (const TXMLNode node = children.FindNode(n::Enclosure)) ReadEnclosure(node, item);
  if (const TXMLNode node = children.FindNode(n::Guid)) ReadGUID(node, item, true);
  if (const TXMLNode node = children.FindNode(n::PubDate)) item.PubDate().ParseRFC822Date(Value(node));
  if (const TXMLNode node = children.FindNode(n::Source)) ReadSource(node, item);
  ReadItemCategories(children, item);
}

}  // namespace quarlen
