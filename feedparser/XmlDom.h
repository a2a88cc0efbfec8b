#pragma once

// The XML document object model the feed library reads: a thin adapter over
// libxml2 with the document, node and node-list operations the readers use.
// Text is UTF-8; libxml2 converts the document's declared encoding.

#include <boost/container/small_vector.hpp>
#include <cstddef>
#include <optional>
#include <stdexcept>
#include <string>
#include <string_view>
#include "feedparser/FeedError.h"

struct _xmlDoc;
struct _xmlNode;

namespace quarlen {

// An error of the document model: the parser's message on malformed XML,
// "No active document", "Element does not contain a single text node", ...
class TXMLDocError : public TFeedError {
 public:
  using TFeedError::TFeedError;
};

// Document options. doNodeAutoCreate: a child asked for by name that is
// missing is created empty. doAttrNull: a missing attribute reads as null.
// doAutoPrefix and doNamespaceDecl are kept for the record only.
enum TXMLDocOption : unsigned {
  doNodeAutoCreate = 1u << 0,
  doAttrNull = 1u << 1,
  doAutoPrefix = 1u << 2,
  doNamespaceDecl = 1u << 3,
};
using TXMLDocOptions = unsigned;

// Parse options. poPreserveWhiteSpace keeps text nodes that hold only white
// space. poResolveExternals and poValidateOnParse are accepted but never
// honoured: the parser loads no DTD and no external entity, and never touches
// the network.
enum TParseOption : unsigned {
  poResolveExternals = 1u << 0,
  poValidateOnParse = 1u << 1,
  poPreserveWhiteSpace = 1u << 2,
  poAsyncLoad = 1u << 3,
};
using TParseOptions = unsigned;

enum class TNodeType { Element, Attribute, Text, CData, Comment, ProcessingInstruction, EntityReference, Other };

class TXMLDocument;
class TXMLNodeList;

// A handle on one node of an active document; valid while the document keeps
// its tree. A default-constructed handle is null (a node that was not found).
class TXMLNode {
 public:
  TXMLNode() = default;
  TXMLNode(const TXMLDocument* document, _xmlNode* node) : document_(document), node_(node) {}

  bool IsNull() const { return node_ == nullptr; }
  explicit operator bool() const { return node_ != nullptr; }
  TNodeType NodeType() const;

  // Qualified name ("dc:date"); "#text", "#cdata-section", "#comment" for those.
  std::string NodeName() const;
  // Name without prefix ("date"); empty for text, CDATA and comments.
  std::string LocalName() const;
  // NodeName() == name and LocalName() == name, without building the name.
  bool NodeNameIs(std::string_view name) const;
  bool LocalNameIs(std::string_view name) const;
  // Namespace address of an element or attribute; empty when it has none.
  std::string NamespaceURI() const;

  // Element: the text of its one text or CDATA child, null when it has no
  // content (or only an empty text); other content throws TXMLDocError
  // "Element does not contain a single text node". Text, CDATA, comment and
  // attribute: its text, null when empty.
  std::optional<std::string> NodeValue() const;

  bool HasChildNodes() const;
  TXMLNodeList ChildNodes() const;
  TXMLNodeList AttributeNodes() const;
  bool HasAttribute(std::string_view name) const;
  // The attribute's text; null when it is missing (doAttrNull) or empty.
  std::optional<std::string> GetAttribute(std::string_view name) const;

  _xmlNode* Raw() const { return node_; }
  bool operator==(const TXMLNode& other) const { return node_ == other.node_; }

 private:
  const TXMLDocument* document_ = nullptr;
  _xmlNode* node_ = nullptr;
};

// The child nodes or the attributes of one node, in document order.
class TXMLNodeList {
 public:
  int Count() const { return static_cast<int>(nodes_.size()); }
  // Throws TXMLDocError when index is outside 0..Count-1.
  TXMLNode Nodes(int index) const;
  TXMLNode Nodes(int index) { return static_cast<const TXMLNodeList&>(*this).Nodes(index); }
  // FindNode(name); when nothing is found and doNodeAutoCreate is set, a new
  // empty child element (or empty attribute) of that name is added and
  // returned, otherwise TXMLDocError is thrown.
  TXMLNode Nodes(std::string_view name);
  // The first node whose qualified or local name equals name (exactly, case
  // counting) among the nodes of the list's default namespace (the owner
  // element's namespace, compared ignoring case), or of any namespace when
  // the list has none. Null when there is no such node.
  TXMLNode FindNode(std::string_view name) const;

  auto begin() const { return nodes_.begin(); }
  auto end() const { return nodes_.end(); }

 private:
  friend class TXMLNode;
  TXMLNodeList(const TXMLDocument* document, _xmlNode* owner, bool attributes);

  const TXMLDocument* document_;
  _xmlNode* owner_;
  bool attributes_;
  std::string_view defaultNamespace_;  // held by the document's tree, like the nodes
  // The readers make a list for every item, mostly of a dozen children or
  // fewer: those stay off the heap.
  boost::container::small_vector<TXMLNode, 16> nodes_;
};

// A document with its XML source text and the Active switch. Activating
// parses the text (an empty text gives an empty document); deactivating drops
// the tree. Expands the entities the document declares in its own internal
// subset; never loads a DTD or external entity, never uses the network, and
// keeps libxml2's limits on depth, text size and entity amplification. A
// document with an element of more than 1000 attributes is refused unparsed.
class TXMLDocument {
 public:
  explicit TXMLDocument(TXMLDocOptions options = doNodeAutoCreate | doAttrNull | doAutoPrefix | doNamespaceDecl,
                        TParseOptions parseOptions = 0);
  ~TXMLDocument();
  TXMLDocument(const TXMLDocument&) = delete;
  TXMLDocument& operator=(const TXMLDocument&) = delete;

  const std::string& XML() const { return xml_; }
  // Replaces the source text; an active document becomes inactive.
  void SetXML(std::string text);

  bool Active() const { return doc_ != nullptr; }
  // True parses the source text (TXMLDocError with the parser's message on
  // malformed XML, the document then stays inactive); false drops the tree.
  void SetActive(bool value);

  // The root element; null for an empty document. Throws TXMLDocError
  // "No active document" when inactive.
  TXMLNode DocumentElement() const;

  TXMLDocOptions Options() const { return options_; }
  void SetOptions(TXMLDocOptions value) { options_ = value; }
  TParseOptions ParseOptions() const { return parseOptions_; }
  void SetParseOptions(TParseOptions value) { parseOptions_ = value; }
  const std::string& DOMVendor() const;

 private:
  void FreeDocument() noexcept;

  std::string xml_;
  _xmlDoc* doc_ = nullptr;
  TXMLDocOptions options_;
  TParseOptions parseOptions_;
};

}  // namespace quarlen
