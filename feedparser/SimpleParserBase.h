#pragma once

// The base of the feed readers: it holds the TSimpleRSS it fills and offers
// the reading steps the RSS, RDF and Atom readers share. Every step writes
// through the model's setters, so their rules (TTL floor, image clamps, ...)
// apply, and throws at the first failure.

#include "feedparser/SimpleRSS.h"
#include "feedparser/SimpleRSSUtils.h"

#include <string>
#include <string_view>

namespace quarlen {

class TSimpleParserBase {
 public:
  explicit TSimpleParserBase(TSimpleRSS& owner) : owner_(owner) {}
  virtual ~TSimpleParserBase() = default;
  TSimpleParserBase(const TSimpleParserBase&) = delete;
  TSimpleParserBase& operator=(const TSimpleParserBase&) = delete;

  // Reads the owner's active XMLFile into its Channel and Items.
  virtual void ParseDocument() = 0;

 protected:
  TSimpleRSS& Owner() { return owner_; }
  TRSSChannel& Channel() { return owner_.Channel(); }
  TRSSItems& Items() { return owner_.Items(); }
  TXMLNode DocumentElement() { return owner_.XMLFile().DocumentElement(); }

  // The child named name (FindNode: qualified or local name, the parent's
  // namespace); null when there is none.
  static TXMLNode Child(const TXMLNode& parent, std::string_view name) { return parent.ChildNodes().FindNode(name); }
  // Value of an element or attribute as text (TValueConversionError when null).
  static std::string Value(const TXMLNode& node) { return NodeText(node); }
  // The value of an element without children, else the value of its first child.
  static std::string RichValue(const TXMLNode& element);
  static int IntegerValue(const TXMLNode& node) { return NodeInteger(node); }
  // The attribute asked for by name: a missing one is created empty, so its
  // read fails.
  static TXMLNode Attribute(const TXMLNode& element, std::string_view name) {
    return element.AttributeNodes().Nodes(name);
  }

  // Throws TSimpleRSSException "Required Field Missing. Field: <field>".
  [[noreturn]] static void RaiseMissing(std::string_view field);
  // ... "Required Field Missing. Field: <parent> -> <field>".
  [[noreturn]] static void RaiseMissing(std::string_view parent, std::string_view field);

  // One row of the channel-level table that RSS and RDF share (category,
  // title, link, description, language, copyright, managingEditor, webMaster,
  // pubDate, lastBuildDate, generator, docs, cloud, ttl, image, rating,
  // textInput, skipHours, skipDays), matched on the exact node name. False
  // when the name is none of them.
  bool ReadChannelElement(const TXMLNode& element);

  void ReadChannelCategory(const TXMLNode& element);
  // Language and, for a code not in the table, XLang.
  void ReadLanguage(const TXMLNode& element);
  void ReadCloud(const TXMLNode& element);
  void ReadImage(const TXMLNode& element);
  void ReadTextInput(const TXMLNode& element);

  // Item parts: each reads one element into item.
  static void ReadEnclosure(const TXMLNode& element, TRSSItem& item);
  // permaLinkByDefault: IsPermaLink when the element has no isPermaLink.
  static void ReadGUID(const TXMLNode& element, TRSSItem& item, bool permaLinkByDefault);
  static void ReadSource(const TXMLNode& element, TRSSItem& item);
  // A category entry for every node of the item's children whose local name
  // is "category".
  static void ReadItemCategories(const TXMLNodeList& itemChildren, TRSSItem& item);

 private:
  TSimpleRSS& owner_;
};

}  // namespace quarlen
