#include "feedparser/SimpleParserBase.h"

namespace quarlen {

std::string TSimpleParserBase::RichValue(const TXMLNode& element) {
  // A CDATA section, or the first text part of mixed content, is taken as
  // the text; the rest is left unread.
  if (!element.HasChildNodes()) return Value(element);
  return Value(element.ChildNodes().Nodes(0));
}

void TSimpleParserBase::RaiseMissing(std::string_view field) {
  throw TSimpleRSSException(std::string(RequiredFieldMissing) + std::string(field));
}

void TSimpleParserBase::RaiseMissing(std::string_view parent, std::string_view field) {
  throw TSimpleRSSException(std::string(RequiredFieldMissing) + std::string(parent) + std::string(FieldSeparator) +
                            std::string(field));
}

bool TSimpleParserBase::ReadChannelElement(const TXMLNode& element) {
  namespace n = feedname;
  const std::string name = element.NodeName();
  TRSSChannelReq& required = Channel().Required();
  TRSSChannelOpt& optional = Channel().Optional();
  if (name == n::Category) {
    ReadChannelCategory(element);
  } else if (name == n::Title) {
    required.SetTitle(Value(element));
  } else if (name == n::Link) {
    required.SetLink(Value(element));
  } else if (name == n::Description) {
    required.SetDesc(Value(element));
  } else if (name == n::Language) {
    ReadLanguage(element);
  } else if (name == n::Copyright) {
    optional.SetCopyright(Value(element));
  } else if (name == n::ManagingEditor) {
    optional.SetManagingEditor(Value(element));
  } else if (name == n::WebMaster) {
    optional.SetWebMaster(Value(element));
  } else if (name == n::PubDate) {
    optional.PubDate().ParseRFC822Date(Value(element));
  } else if (name == n::LastBuildDate) {
    optional.LastBuildDate().ParseRFC822Date(Value(element));
  } else if (name == n::Generator) {
    optional.SetGenerator(Value(element));
  } else if (name == n::Docs) {
    optional.SetDocs(Value(element));
  } else if (name == n::Cloud) {
    ReadCloud(element);
  } else if (name == n::TTL) {
    optional.SetTTL(IntegerValue(element));
  } else if (name == n::Image) {
    ReadImage(element);
  } else if (name == n::Rating) {
    optional.SetRating(Value(element));
  } else if (name == n::TextInput) {
    ReadTextInput(element);
  } else if (name == n::SkipHours) {
    ReadSkipHours(element, Owner());
  } else if (name == n::SkipDays) {
    ReadSkipDays(element, Owner());
  } else {
    return false;
  }
  return true;
}

void TSimpleParserBase::ReadChannelCategory(const TXMLNode& element) {
  TRSSChannelCategory& category = Channel().Optional().Categories().Add();
  category.SetCategory(Value(element));
  if (element.HasAttribute(feedname::Domain)) category.SetDomain(Value(Attribute(element, feedname::Domain)));
}

void TSimpleParserBase::ReadLanguage(const TXMLNode& element) {
  std::string code = Value(element);
  const TLanguages language = LanguageFromCode(code);
  TRSSChannelOpt& optional = Channel().Optional();
  optional.SetLanguage(language);
  optional.SetXLang(language == langX ? std::move(code) : std::string());
}

void TSimpleParserBase::ReadCloud(const TXMLNode& element) {
  namespace n = feedname;
  TRSSCloud& cloud = Channel().Optional().Cloud();
  cloud.SetInclude(element.AttributeNodes().Count() > 0);
  if (!cloud.Include()) return;
  cloud.SetDomain(Value(Attribute(element, n::Domain)));
  cloud.SetPort(IntegerValue(Attribute(element, n::Port)));
  cloud.SetPath(Value(Attribute(element, n::Path)));
  cloud.SetRegisterProcedure(Value(Attribute(element, n::RegisterProcedure)));
  cloud.SetProtocol(Value(Attribute(element, n::Protocol)));
}

void TSimpleParserBase::ReadImage(const TXMLNode& element) {
  namespace n = feedname;
  const TXMLNodeList children = element.ChildNodes();
  const TXMLNode url = children.FindNode(n::URL);
  if (!url) RaiseMissing(n::Image, n::URL);
  const TXMLNode title = children.FindNode(n::Title);
  if (!title) RaiseMissing(n::Image, n::Title);
  const TXMLNode link = children.FindNode(n::Link);
  if (!link) RaiseMissing(n::Image, n::Link);

  TRSSImage& image = Channel().Optional().Image();
  image.SetInclude(element.HasChildNodes());
  if (!image.Include()) return;
  image.Required().SetURL(Value(url));
  image.Required().SetTitle(Value(title));
  image.Required().SetLink(Value(link));
  if (const TXMLNode description = children.FindNode(n::Description)) {
    image.Optional().SetDescription(Value(description));
  }
  if (const TXMLNode width = children.FindNode(n::Width)) image.Optional().SetWidth(IntegerValue(width));
  if (const TXMLNode height = children.FindNode(n::Height)) image.Optional().SetHeight(IntegerValue(height));
}

void TSimpleParserBase::ReadTextInput(const TXMLNode& element) {
  namespace n = feedname;
  const TXMLNodeList children = element.ChildNodes();
  const TXMLNode title = children.FindNode(n::Title);
  if (!title) RaiseMissing(n::TextInput, n::Title);
  const TXMLNode description = children.FindNode(n::Description);
  if (!description) RaiseMissing(n::TextInput, n::Description);
  const TXMLNode name = children.FindNode(n::Name);
  if (!name) RaiseMissing(n::TextInput, n::Name);
  const TXMLNode link = children.FindNode(n::Link);
  if (!link) RaiseMissing(n::TextInput, n::Link);

  TRSSTextInput& input = Channel().Optional().TextInput();
  input.SetInclude(element.HasChildNodes());
  if (!input.Include()) return;
  input.SetTitle(Value(title));
  input.SetDescription(Value(description));
  input.SetLink(Value(link));
  input.SetTextInputName(Value(name));
}

void TSimpleParserBase::ReadEnclosure(const TXMLNode& element, TRSSItem& item) {
  namespace n = feedname;
  for (std::string_view attribute : {n::URL, n::Length, n::Type}) {
    if (!element.HasAttribute(attribute)) RaiseMissing(n::Enclosure, attribute);
  }
  TRSSItemEnclosure& enclosure = item.Enclosure();
  enclosure.SetURL(Value(Attribute(element, n::URL)));
  enclosure.SetLength(IntegerValue(Attribute(element, n::Length)));
  enclosure.SetEnclosureType(Value(Attribute(element, n::Type)));
  enclosure.SetInclude(true);
}

void TSimpleParserBase::ReadGUID(const TXMLNode& element, TRSSItem& item, bool permaLinkByDefault) {
  TRSSItemGUID& guid = item.GUID();
  guid.SetInclude(true);
  guid.SetGUID(Value(element));
  if (element.HasAttribute(feedname::IsPermaLink)) {
    guid.SetIsPermaLink(element.GetAttribute(feedname::IsPermaLink) == std::optional<std::string>("true"));
  } else if (permaLinkByDefault) {
    guid.SetIsPermaLink(true);
  }
}

void TSimpleParserBase::ReadSource(const TXMLNode& element, TRSSItem& item) {
  if (!element.HasAttribute(feedname::URL)) RaiseMissing(feedname::Source, feedname::URL);
  TRSSItemSource& source = item.Source();
  source.SetInclude(true);
  source.SetTitle(Value(element));
  source.SetURL(Value(Attribute(element, feedname::URL)));
}

void TSimpleParserBase::ReadItemCategories(const TXMLNodeList& itemChildren, TRSSItem& item) {
  for (const TXMLNode& child : itemChildren) {
    if (child.NodeType() != TNodeType::Element || !child.LocalNameIs(feedname::Category)) continue;
    TRSSItemCategory& category = item.Categories().Add();
    category.SetTitle(Value(child));
    if (child.HasAttribute(feedname::Domain)) category.SetDomain(Value(Attribute(child, feedname::Domain)));
  }
}

}  // namespace quarlen
