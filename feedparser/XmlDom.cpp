#include "feedparser/XmlDom.h"

#include "feedparser/AttributeGuard.h"
#include "feedparser/Utf8.h"
#include "feedparser/XmlCodePages.h"

#include <libxml/parser.h>
#include <libxml/parserInternals.h>
#include <libxml/tree.h>
#include <libxml/xmlerror.h>

#include <climits>
#include <cstdarg>
#include <cstdio>
#include <cstring>
#include <mutex>

namespace quarlen {

namespace {

const char* Chars(const xmlChar* text) { return reinterpret_cast<const char*>(text); }
const xmlChar* XmlChars(const std::string& text) { return reinterpret_cast<const xmlChar*>(text.c_str()); }

bool IsXmlBlank(const xmlChar* text) {
  if (text == nullptr) return true;
  for (; *text != 0; ++text) {
    if (*text != ' ' && *text != '\t' && *text != '\r' && *text != '\n') return false;
  }
  return true;
}

// A text node of nothing but white space between elements is layout, not
// content, unless the document keeps white space.
bool IsSignificant(const xmlNode* node, bool preserveWhiteSpace) {
  switch (node->type) {
    case XML_ELEMENT_NODE:
    case XML_CDATA_SECTION_NODE:
    case XML_COMMENT_NODE:
    case XML_PI_NODE:
    case XML_ENTITY_REF_NODE:
      return true;
    case XML_TEXT_NODE:
      return preserveWhiteSpace || !IsXmlBlank(node->content);
    default:
      return false;
  }
}

bool EqualsIgnoringAsciiCase(std::string_view a, std::string_view b) {
  if (a.size() != b.size()) return false;
  for (std::size_t i = 0; i < a.size(); ++i) {
    unsigned char x = static_cast<unsigned char>(a[i]);
    unsigned char y = static_cast<unsigned char>(b[i]);
    if (x >= 'A' && x <= 'Z') x = static_cast<unsigned char>(x - 'A' + 'a');
    if (y >= 'A' && y <= 'Z') y = static_cast<unsigned char>(y - 'A' + 'a');
    if (x != y) return false;
  }
  return true;
}

bool HasName(const xmlNode* node) { return node->type == XML_ELEMENT_NODE || node->type == XML_ATTRIBUTE_NODE; }

// The text equals the zero-terminated name: compared in one pass, with no
// strlen first; readers look names up dozens of times per item, mostly in
// vain, so the first byte usually decides.
bool SameText(const xmlChar* zeroTerminated, std::string_view text) {
  const char* name = Chars(zeroTerminated);
  for (char c : text) {
    if (*name != c || c == 0) return false;  // a name ends at its first 0
    ++name;
  }
  return *name == 0;
}

// A name looked for: its prefix and local part are split once, not at every
// node it is compared with.
class WantedName {
 public:
  explicit WantedName(std::string_view name) : name_(name), colon_(name.find(':')) {}

  // The node's qualified or local name equals the name.
  bool Matches(const xmlNode* node) const {
    if (node->name == nullptr) return false;
    if (!HasName(node)) {
      return (node->type == XML_PI_NODE || node->type == XML_ENTITY_REF_NODE) && SameText(node->name, name_);
    }
    return SameText(node->name, name_) || (node->ns != nullptr && IsPrefixed(node->ns->prefix, node->name));
  }

  // The qualified name of an element or attribute, as NodeName builds it,
  // equals the name.
  bool IsQualifiedNameOf(const xmlNode* node) const {
    static const xmlChar None[] = {0};
    const xmlChar* local = node->name != nullptr ? node->name : None;
    if (node->ns == nullptr || node->ns->prefix == nullptr) return SameText(local, name_);
    return IsPrefixed(node->ns->prefix, local);
  }

 private:
  // The name is prefix:local.
  bool IsPrefixed(const xmlChar* prefix, const xmlChar* local) const {
    return prefix != nullptr && colon_ != std::string_view::npos && SameText(prefix, name_.substr(0, colon_)) &&
           SameText(local, name_.substr(colon_ + 1));
  }

  std::string_view name_;
  std::size_t colon_;
};

std::string_view NamespaceOf(const xmlNode* node) {
  if (!HasName(node) || node->ns == nullptr || node->ns->href == nullptr) return {};
  return Chars(node->ns->href);
}

std::optional<std::string> TextOrNull(const xmlChar* text) {
  if (text == nullptr || *text == 0) return std::nullopt;
  return std::string(Chars(text));
}

std::optional<std::string> AttributeText(const xmlNode* attr) {
  const xmlNode* child = attr->children;
  if (child == nullptr) return std::nullopt;
  if (child->next == nullptr && child->type == XML_TEXT_NODE) return TextOrNull(child->content);
  xmlChar* text = xmlNodeGetContent(attr);
  std::optional<std::string> result = TextOrNull(text);
  xmlFree(text);
  return result;
}

// A message goes to the status bar, which shows one line: the line breaks
// libxml2 puts inside some messages ("...encoding !\nBytes: 0xCF ...") become
// blanks.
std::string OneLine(std::string text) {
  for (char& c : text) {
    if (c == '\n' || c == '\r' || c == '\t') c = ' ';
  }
  while (!text.empty() && text.back() == ' ') text.pop_back();
  std::string collapsed;
  for (char c : text) {
    if (c == ' ' && !collapsed.empty() && collapsed.back() == ' ') continue;
    collapsed += c;
  }
  return collapsed;
}

// libxml2's unstructured messages ("encoding error : input conversion
// failed ...") would otherwise go to stderr; they are kept as the error text
// when the parser reports nothing better.
void CaptureGenericError(void* userData, const char* format, ...) {
  auto* message = static_cast<std::string*>(userData);
  if (message == nullptr || format == nullptr) return;
  char buffer[512];
  va_list args;
  va_start(args, format);
  std::vsnprintf(buffer, sizeof buffer, format, args);
  va_end(args);
  *message += buffer;
}

// An external entity is never read, whatever the document declares.
xmlParserInputPtr RefuseExternalEntity(const char*, const char*, xmlParserCtxtPtr) { return nullptr; }

// libxml2's error routing is per thread: a parse sets the library's own and
// puts back what was there before, so no message of a parse reaches stderr.
// Its entity loader is one for the whole process, and feeds are read on a
// thread of their own while other documents may be read elsewhere; swapping
// it per parse would let one parse put the default loader back under
// another. It is set once for good instead: no document this program reads
// has any business pulling in an external entity.
class ParseHooks {
 public:
  explicit ParseHooks(std::string* messages)
      : genericError_(xmlGenericError),
        genericContext_(xmlGenericErrorContext),
        structuredError_(xmlStructuredError),
        structuredContext_(xmlStructuredErrorContext) {
    static std::once_flag refused;
    std::call_once(refused, [] { xmlSetExternalEntityLoader(RefuseExternalEntity); });
    xmlSetGenericErrorFunc(messages, CaptureGenericError);
    xmlSetStructuredErrorFunc(nullptr, nullptr);
  }
  ~ParseHooks() {
    xmlSetStructuredErrorFunc(structuredContext_, structuredError_);
    xmlSetGenericErrorFunc(genericContext_, genericError_);
  }
  ParseHooks(const ParseHooks&) = delete;
  ParseHooks& operator=(const ParseHooks&) = delete;

 private:
  xmlGenericErrorFunc genericError_;
  void* genericContext_;
  xmlStructuredErrorFunc structuredError_;
  void* structuredContext_;
};

// Collects the first error the parser reports; the later ones tend to be
// consequences of it.
void CaptureFirstError(void* userData, xmlErrorPtr error) {
  auto* context = static_cast<xmlParserCtxtPtr>(userData);
  auto* message = static_cast<std::string*>(context->_private);
  if (message == nullptr || !message->empty() || error == nullptr || error->level < XML_ERR_ERROR) return;
  std::string text = OneLine(error->message ? error->message : "XML parse error");
  if (error->line > 0)
    text += " (line " + std::to_string(error->line) + ", column " + std::to_string(error->int2) + ")";
  // libxml2 quotes a snippet of the source cut at a byte count, which can split
  // a character; the message goes to the status bar, so it must stay UTF-8.
  *message = ToValidUtf8(text);
}

const std::string Vendor = "libxml2";

// libxml2 keeps its own limit on text only for some ways a text node grows;
// this holds every text and attribute value of the tree to the same limit.
const xmlNode* FindHugeText(xmlNode* root) {
  const std::size_t limit = XML_MAX_TEXT_LENGTH;
  for (xmlNode* node = root; node != nullptr;) {
    if ((node->type == XML_TEXT_NODE || node->type == XML_CDATA_SECTION_NODE || node->type == XML_COMMENT_NODE) &&
        node->content != nullptr && std::strlen(Chars(node->content)) > limit) {
      return node;
    }
    if (node->type == XML_ELEMENT_NODE) {
      for (xmlAttr* attr = node->properties; attr != nullptr; attr = attr->next) {
        for (xmlNode* part = attr->children; part != nullptr; part = part->next) {
          if (part->content != nullptr && std::strlen(Chars(part->content)) > limit) return node;
        }
      }
    }
    if (node->type == XML_ELEMENT_NODE && node->children != nullptr) {
      node = node->children;
      continue;
    }
    while (node != nullptr && node->next == nullptr && node != root) node = node->parent;
    if (node == nullptr || node == root) break;
    node = node->next;
  }
  return nullptr;
}

}  // namespace

// ---- TXMLNode ----------------------------------------------------------------

TNodeType TXMLNode::NodeType() const {
  if (node_ == nullptr) return TNodeType::Other;
  switch (node_->type) {
    case XML_ELEMENT_NODE:
      return TNodeType::Element;
    case XML_ATTRIBUTE_NODE:
      return TNodeType::Attribute;
    case XML_TEXT_NODE:
      return TNodeType::Text;
    case XML_CDATA_SECTION_NODE:
      return TNodeType::CData;
    case XML_COMMENT_NODE:
      return TNodeType::Comment;
    case XML_PI_NODE:
      return TNodeType::ProcessingInstruction;
    case XML_ENTITY_REF_NODE:
      return TNodeType::EntityReference;
    default:
      return TNodeType::Other;
  }
}

std::string TXMLNode::NodeName() const {
  if (node_ == nullptr) return {};
  switch (node_->type) {
    case XML_TEXT_NODE:
      return "#text";
    case XML_CDATA_SECTION_NODE:
      return "#cdata-section";
    case XML_COMMENT_NODE:
      return "#comment";
    default:
      break;
  }
  std::string local = node_->name ? Chars(node_->name) : "";
  if (HasName(node_) && node_->ns != nullptr && node_->ns->prefix != nullptr) {
    return std::string(Chars(node_->ns->prefix)) + ":" + local;
  }
  return local;
}

bool TXMLNode::NodeNameIs(std::string_view name) const {
  if (node_ != nullptr && HasName(node_)) return WantedName(name).IsQualifiedNameOf(node_);
  return NodeName() == name;
}

bool TXMLNode::LocalNameIs(std::string_view name) const {
  if (node_ == nullptr || node_->name == nullptr) return name.empty();
  if (HasName(node_) || node_->type == XML_PI_NODE || node_->type == XML_ENTITY_REF_NODE)
    return SameText(node_->name, name);
  return name.empty();
}

std::string TXMLNode::LocalName() const {
  if (node_ == nullptr || node_->name == nullptr) return {};
  if (HasName(node_) || node_->type == XML_PI_NODE || node_->type == XML_ENTITY_REF_NODE) return Chars(node_->name);
  return {};
}

std::string TXMLNode::NamespaceURI() const {
  if (node_ == nullptr) return {};
  return std::string(NamespaceOf(node_));
}

std::optional<std::string> TXMLNode::NodeValue() const {
  if (node_ == nullptr) return std::nullopt;
  switch (node_->type) {
    case XML_ATTRIBUTE_NODE:
      return AttributeText(node_);
    case XML_TEXT_NODE:
    case XML_CDATA_SECTION_NODE:
    case XML_COMMENT_NODE:
    case XML_PI_NODE:
      return TextOrNull(node_->content);
    case XML_ELEMENT_NODE: {
      const bool preserve = (document_->ParseOptions() & poPreserveWhiteSpace) != 0;
      const xmlNode* single = nullptr;
      for (const xmlNode* child = node_->children; child != nullptr; child = child->next) {
        if (!IsSignificant(child, preserve)) continue;
        if (single != nullptr) throw TXMLDocError("Element does not contain a single text node");
        single = child;
      }
      if (single == nullptr) return std::nullopt;
      if (single->type != XML_TEXT_NODE && single->type != XML_CDATA_SECTION_NODE) {
        throw TXMLDocError("Element does not contain a single text node");
      }
      return TextOrNull(single->content);
    }
    default:
      return std::nullopt;
  }
}

bool TXMLNode::HasChildNodes() const {
  if (node_ == nullptr) return false;
  if (node_->type == XML_ATTRIBUTE_NODE) return node_->children != nullptr;
  if (node_->type != XML_ELEMENT_NODE && node_->type != XML_DOCUMENT_NODE) return false;
  const bool preserve = (document_->ParseOptions() & poPreserveWhiteSpace) != 0;
  for (const xmlNode* child = node_->children; child != nullptr; child = child->next) {
    if (IsSignificant(child, preserve)) return true;
  }
  return false;
}

TXMLNodeList TXMLNode::ChildNodes() const { return TXMLNodeList(document_, node_, false); }

TXMLNodeList TXMLNode::AttributeNodes() const { return TXMLNodeList(document_, node_, true); }

bool TXMLNode::HasAttribute(std::string_view name) const {
  if (node_ == nullptr || node_->type != XML_ELEMENT_NODE) return false;
  const WantedName wanted(name);
  for (const xmlAttr* attr = node_->properties; attr != nullptr; attr = attr->next) {
    if (wanted.Matches(reinterpret_cast<const xmlNode*>(attr))) return true;
  }
  return false;
}

std::optional<std::string> TXMLNode::GetAttribute(std::string_view name) const {
  if (node_ != nullptr && node_->type == XML_ELEMENT_NODE) {
    const WantedName wanted(name);
    for (const xmlAttr* attr = node_->properties; attr != nullptr; attr = attr->next) {
      auto* asNode = reinterpret_cast<const xmlNode*>(attr);
      if (wanted.Matches(asNode)) return AttributeText(asNode);
    }
  }
  if (document_ != nullptr && (document_->Options() & doAttrNull) == 0) return std::string();
  return std::nullopt;
}

// ---- TXMLNodeList ------------------------------------------------------------

TXMLNodeList::TXMLNodeList(const TXMLDocument* document, _xmlNode* owner, bool attributes)
    : document_(document), owner_(owner), attributes_(attributes) {
  if (owner_ == nullptr) return;
  if (attributes_) {
    if (owner_->type != XML_ELEMENT_NODE) return;
    for (xmlAttr* attr = owner_->properties; attr != nullptr; attr = attr->next) {
      nodes_.emplace_back(document_, reinterpret_cast<xmlNode*>(attr));
    }
    return;
  }
  if (owner_->type != XML_ELEMENT_NODE && owner_->type != XML_DOCUMENT_NODE) return;
  defaultNamespace_ = NamespaceOf(owner_);
  const bool preserve = (document_->ParseOptions() & poPreserveWhiteSpace) != 0;
  for (xmlNode* child = owner_->children; child != nullptr; child = child->next) {
    if (IsSignificant(child, preserve)) nodes_.emplace_back(document_, child);
  }
}

TXMLNode TXMLNodeList::Nodes(int index) const {
  if (index < 0 || index >= Count()) throw TXMLDocError("List index out of bounds (" + std::to_string(index) + ")");
  return nodes_[static_cast<std::size_t>(index)];
}

TXMLNode TXMLNodeList::FindNode(std::string_view name) const {
  const WantedName wanted(name);
  for (const TXMLNode& node : nodes_) {
    const xmlNode* raw = node.Raw();
    if (!defaultNamespace_.empty()) {
      // Children mostly share their parent's namespace declaration, and so
      // the very same text.
      const std::string_view space = NamespaceOf(raw);
      if (space.data() != defaultNamespace_.data() && !EqualsIgnoringAsciiCase(space, defaultNamespace_)) continue;
    }
    if (wanted.Matches(raw)) return node;
  }
  return {};
}

TXMLNode TXMLNodeList::Nodes(std::string_view name) {
  TXMLNode found = FindNode(name);
  if (found) return found;
  if (document_ == nullptr || (document_->Options() & doNodeAutoCreate) == 0 || owner_ == nullptr ||
      owner_->type != XML_ELEMENT_NODE) {
    throw TXMLDocError("Node \"" + std::string(name) + "\" not found");
  }
  const std::string text(name);
  xmlNode* created = nullptr;
  if (attributes_) {
    created = reinterpret_cast<xmlNode*>(xmlNewProp(owner_, XmlChars(text), nullptr));
  } else {
    created = xmlNewDocNode(owner_->doc, owner_->ns, XmlChars(text), nullptr);
    if (created != nullptr) xmlAddChild(owner_, created);
  }
  if (created == nullptr) throw TXMLDocError("Out of memory creating node \"" + text + "\"");
  nodes_.emplace_back(document_, created);
  return nodes_.back();
}

// ---- TXMLDocument ------------------------------------------------------------

TXMLDocument::TXMLDocument(TXMLDocOptions options, TParseOptions parseOptions)
    : options_(options), parseOptions_(parseOptions) {}

// Only the freeing half of SetActive: a destructor must not reach the parse,
// which throws.
TXMLDocument::~TXMLDocument() { FreeDocument(); }

void TXMLDocument::FreeDocument() noexcept {
  if (doc_ != nullptr) xmlFreeDoc(doc_);
  doc_ = nullptr;
}

void TXMLDocument::SetXML(std::string text) {
  SetActive(false);
  xml_ = std::move(text);
}

const std::string& TXMLDocument::DOMVendor() const { return Vendor; }

void TXMLDocument::SetActive(bool value) {
  if (!value) {
    FreeDocument();
    return;
  }
  if (doc_ != nullptr) return;
  if (xml_.empty()) {
    doc_ = xmlNewDoc(reinterpret_cast<const xmlChar*>("1.0"));
    if (doc_ == nullptr) throw TXMLDocError("Out of memory creating an empty document");
    return;
  }
  if (xml_.size() > static_cast<std::size_t>(INT_MAX)) throw TXMLDocError("Document is too large");

  // libxml2 needs seconds for an element with tens of thousands of
  // attributes, and the parse runs on the user-interface thread.
  if (auto refusal = AttributeFloodMessage(xml_)) throw TXMLDocError(*refusal);

  // messages[0]: the first structured error; messages[1]: unstructured text.
  std::string messages[2];
  std::string& firstError = messages[0];
  bool wellFormed = false;
  xmlDocPtr parsed = nullptr;
  // A build of libxml2 without iconv learns the code pages feeds declare first.
  RegisterXmlCodePages();
  {
    ParseHooks hooks(&messages[1]);
    xmlParserCtxtPtr context = xmlNewParserCtxt();
    if (context == nullptr) throw TXMLDocError("Out of memory creating the XML parser");
    context->_private = &firstError;
    context->sax->serror = CaptureFirstError;
    // NOENT expands the entities of the internal subset, under libxml2's loop
    // and amplification checks; external ones meet RefuseExternalEntity. No
    // DTDLOAD, DTDATTR, DTDVALID or HUGE: no external DTD is read and
    // libxml2's depth and size limits apply.
    const int flags =
        XML_PARSE_NONET | XML_PARSE_NOENT | XML_PARSE_NOERROR | XML_PARSE_NOWARNING | XML_PARSE_NOXINCNODE;
    parsed = xmlCtxtReadMemory(context, xml_.data(), static_cast<int>(xml_.size()), nullptr, nullptr, flags);
    wellFormed = context->wellFormed != 0;
    if (firstError.empty() && !wellFormed) {
      const xmlError* last = xmlCtxtGetLastError(context);
      if (last && last->message) firstError = ToValidUtf8(OneLine(last->message));
    }
    xmlFreeParserCtxt(context);
  }
  if (firstError.empty() && !messages[1].empty()) firstError = ToValidUtf8(OneLine(messages[1]));
  if (parsed == nullptr || !wellFormed) {
    if (parsed != nullptr) xmlFreeDoc(parsed);
    throw TXMLDocError(firstError.empty() ? "XML document is not well-formed" : firstError);
  }
  // Without entities a text over the limit needs at least a quarter of its
  // size in source bytes (no encoding grows more than fourfold into UTF-8).
  // Entities of the internal subset can grow a text beyond that.
  const bool mayBeHuge = xml_.size() > XML_MAX_TEXT_LENGTH / 4 || parsed->intSubset != nullptr;
  const xmlNode* huge = mayBeHuge ? FindHugeText(xmlDocGetRootElement(parsed)) : nullptr;
  if (huge != nullptr) {
    const long line = xmlGetLineNo(huge);
    xmlFreeDoc(parsed);
    throw TXMLDocError("Text longer than " + std::to_string(XML_MAX_TEXT_LENGTH) + " bytes" +
                       (line > 0 ? " (line " + std::to_string(line) + ")" : std::string()));
  }
  doc_ = parsed;
}

TXMLNode TXMLDocument::DocumentElement() const {
  if (doc_ == nullptr) throw TXMLDocError("No active document");
  return TXMLNode(this, xmlDocGetRootElement(doc_));
}

}  // namespace quarlen
