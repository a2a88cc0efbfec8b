#include "feedparser/SimpleParserAtom.h"

#include "feedparser/SimpleRSSUtils.h"

namespace quarlen {

namespace {

// Atom's own element and attribute names.
constexpr std::string_view Head = "head";
constexpr std::string_view Entry = "entry";
constexpr std::string_view Tagline = "tagline";
constexpr std::string_view Modified = "modified";
constexpr std::string_view Href = "href";
constexpr std::string_view Mode = "mode";
constexpr std::string_view Base64Mode = "base64";
constexpr std::string_view Id = "id";
constexpr std::string_view EMail = "email";

}  // namespace

void TSimpleParserAtom::ParseDocument() {
  const TXMLNode root = DocumentElement();
  TXMLNode header = Child(root, Head);
  if (!header) header = root;
  ReadAtomHeader(header);

  // Entries count only among the header's children: with a "head" element,
  // entries beside it are not read.
  namespace n = feedname;
  for (const TXMLNode& child : header.ChildNodes()) {
    if (child.NodeType() != TNodeType::Element) continue;
    const std::string name = child.NodeName();
    if (name == Entry) {
      ReadEntry(child);
    } else if (name == n::Language) {
      ReadLanguage(child);
    } else if (name == n::TTL) {
      Channel().Optional().SetTTL(IntegerValue(child));
    } else if (name == n::Image) {
      ReadImage(child);
    } else if (name == n::Rating) {
      Channel().Optional().SetRating(Value(child));
    } else if (name == n::TextInput) {
      ReadTextInput(child);
    } else if (name == n::SkipHours) {
      ReadSkipHours(child, Owner());
    } else if (name == n::SkipDays) {
      ReadSkipDays(child, Owner());
    }
  }
}

void TSimpleParserAtom::ReadAtomHeader(const TXMLNode& header) {
  namespace n = feedname;
  TRSSChannelReq& required = Channel().Required();
  TRSSChannelOpt& optional = Channel().Optional();
  for (const TXMLNode& child : header.ChildNodes()) {
    if (child.NodeType() != TNodeType::Element) continue;
    const std::string name = child.NodeName();
    if (name == n::Title) {
      required.SetTitle(Value(child));
    } else if (name == n::Link) {
      // Every link with an href counts, whatever its rel: the last one wins.
      if (auto href = child.GetAttribute(Href)) required.SetLink(std::move(*href));
    } else if (name == Tagline) {
      required.SetDesc(Value(child));
    } else if (name == n::Generator) {
      optional.SetGenerator(Value(child));
    } else if (name == Modified) {
      optional.PubDate().ParseISO8601Date(Value(child));
    }
  }
}

void TSimpleParserAtom::ReadEntry(const TXMLNode& element) {
  namespace n = feedname;
  TRSSItem& item = Items().Add();
  const TXMLNodeList children = element.ChildNodes();
  const TXMLNode title = children.FindNode(n::Title);
  const TXMLNode content = children.FindNode(n::Content);
  if (!title && !content) RaiseMissing(Entry, n::Title);

  if (title) item.SetTitle(Value(title));
  if (const TXMLNode link = children.FindNode(n::Link)) {
    if (auto href = link.GetAttribute(Href)) item.SetLink(std::move(*href));
  }
  if (content) {
    std::string text = RichValue(content);
    if (content.GetAttribute(Mode) == std::optional<std::string>(Base64Mode))
      text = ToValidUtf8(DecodeBase64Text(false, text));
    item.SetDescription(std::move(text));
  }
  if (const TXMLNode author = children.FindNode(n::Author)) {
    const TXMLNodeList parts = author.ChildNodes();
    if (const TXMLNode name = parts.FindNode(n::Name)) item.Author().SetName(Value(name));
    if (const TXMLNode email = parts.FindNode(EMail)) item.Author().SetEMail(Value(email));
    if (const TXMLNode url = parts.FindNode(n::URL)) item.Author().SetURL(Value(url));
  }
  if (const TXMLNode comments = children.FindNode(n::Comments)) item.SetComments(Value(comments));
  if (const TXMLNode modified = children.FindNode(Modified)) item.PubDate().ParseISO8601Date(Value(modified));
  if (const TXMLNode enclosure = children.FindNode(n::Enclosure)) ReadEnclosure(enclosure, item);
  if (const TXMLNode id = children.FindNode(Id)) {
    // An Atom id is no address, so IsPermaLink stays False.
    item.GUID().SetInclude(true);
    item.GUID().SetGUID(Value(id));
  }
  if (const TXMLNode pubDate = children.FindNode(n::PubDate)) item.PubDate().ParseRFC822Date(Value(pubDate));
  if (const TXMLNode source = children.FindNode(n::Source)) ReadSource(source, item);
  ReadItemCategories(children, item);
}

}  // namespace quarlen
