#pragma once

// TSimpleRSS: the one object through which the program reads a feed. It owns
// the XML document and the feed document model. Use:
//   rss.LoadFromString(text); rss.XMLFile().SetActive(true); rss.Parse();
// then read rss.Channel() and rss.Items(). Every step throws on failure
// (TXMLDocError, TSimpleRSSException, TValueConversionError, TDateRangeError,
// all std::exception with the message to show).

#include "feedparser/SimpleRSSTypes.h"
#include "feedparser/XmlDom.h"

#include <memory>
#include <string>

namespace quarlen {

// The options the XML document is made with.
class TXMLFileOptions {
 public:
  const std::string& DOMVendor() const { return domVendor_; }
  void SetDOMVendor(std::string value) { domVendor_ = std::move(value); }
  TXMLDocOptions Options() const { return options_; }
  void SetOptions(TXMLDocOptions value) { options_ = value; }
  TParseOptions ParseOptions() const { return parseOptions_; }
  void SetParseOptions(TParseOptions value) { parseOptions_ = value; }

 private:
  std::string domVendor_ = "libxml2";
  TXMLDocOptions options_ = doNodeAutoCreate | doAttrNull | doAutoPrefix | doNamespaceDecl;
  TParseOptions parseOptions_ = 0;
};

class TSimpleRSS {
 public:
  // A new channel, an empty item collection, default options, an active empty
  // document, Version "2.0" and XMLType xtRDF.
  TSimpleRSS();
  ~TSimpleRSS();
  TSimpleRSS(const TSimpleRSS&) = delete;
  TSimpleRSS& operator=(const TSimpleRSS&) = delete;

  TXMLFileOptions& XMLFileOptions() { return *xmlFileOptions_; }
  // Replaces the options; the document takes them over at once.
  void SetXMLFileOptions(std::unique_ptr<TXMLFileOptions> value);
  TRSSChannel& Channel() { return *channel_; }
  const TRSSChannel& Channel() const { return *channel_; }
  void SetChannel(std::unique_ptr<TRSSChannel> value) { ReplacePart(channel_, std::move(value)); }
  TRSSItems& Items() { return *items_; }
  const TRSSItems& Items() const { return *items_; }
  void SetItems(std::unique_ptr<TRSSItems> value) { ReplacePart(items_, std::move(value)); }
  const std::string& Version() const { return version_; }
  void SetVersion(std::string value) { version_ = std::move(value); }
  TXMLType XMLType() const { return xmlType_; }
  void SetXMLType(TXMLType value) { xmlType_ = value; }
  TXMLDocument& XMLFile() { return *xmlFile_; }
  const TXMLDocument& XMLFile() const { return *xmlFile_; }

  // Replaces the document's source text; the document becomes inactive.
  void LoadFromString(std::string text);

  // Renews Channel and Items, recognises the feed by its root element
  // (rdf:RDF, rss, feed; case ignored) and runs that format's reader.
  // Throws TXMLDocError "No active document" on an inactive document,
  // TSimpleRSSException "unkown format: <root>" for any other root, and
  // whatever the reader throws; items read before a failure stay in Items.
  void Parse();

 private:
  std::unique_ptr<TRSSChannel> channel_;
  std::unique_ptr<TRSSItems> items_;
  std::unique_ptr<TXMLFileOptions> xmlFileOptions_;
  std::unique_ptr<TXMLDocument> xmlFile_;
  std::string version_;
  TXMLType xmlType_ = xtRDF;
};

}  // namespace quarlen
