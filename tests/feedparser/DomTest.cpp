#include "feedparser/XmlDom.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <filesystem>
#include <fstream>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include <unistd.h>

namespace quarlen {
namespace {

// Parses text into document (which must outlive the nodes taken from it).
TXMLNode Root(TXMLDocument& document, const std::string& text) {
  document.SetXML(text);
  document.SetActive(true);
  return document.DocumentElement();
}

std::string FailureOf(TXMLDocument& document, const std::string& text) {
  try {
    Root(document, text);
  } catch (const TXMLDocError& e) {
    return e.what();
  }
  return {};
}

struct ValueCase {
  const char* xml;
  std::optional<std::string> value;  // nullopt: null value
  bool fails;
};

TEST(XmlDom, NodeValueOfElements) {
  const ValueCase cases[] = {
      {"<a>text</a>", "text", false},
      {"<a>  word  </a>", "  word  ", false},
      {"<a><![CDATA[<b>x</b> & y]]></a>", "<b>x</b> & y", false},
      {"<a>&amp;&lt;x&#65;&#x416;</a>", "&<xA\xD0\x96", false},
      {"<a> <![CDATA[x]]>\n</a>", "x", false},
      {"<a/>", std::nullopt, false},
      {"<a></a>", std::nullopt, false},
      {"<a>  \t\n </a>", std::nullopt, false},
      {"<a><![CDATA[]]></a>", std::nullopt, false},
      {"<a>x<b/></a>", std::nullopt, true},
      {"<a><b>x</b></a>", std::nullopt, true},
      {"<a>x<!-- note --></a>", std::nullopt, true},
      {"<a>x<![CDATA[y]]></a>", std::nullopt, true},
      // Entities the document declares itself are expanded in place.
      {"<!DOCTYPE a [<!ENTITY co \"ACME\">]><a>&co; news</a>", "ACME news", false},
      {"<!DOCTYPE a [<!ENTITY co \"ACME\">]><a>Shares of &co; rise</a>", "Shares of ACME rise", false},
  };
  for (const ValueCase& c : cases) {
    SCOPED_TRACE(c.xml);
    TXMLDocument document;
    const TXMLNode root = Root(document, c.xml);
    if (c.fails) {
      try {
        root.NodeValue();
        ADD_FAILURE() << "no error";
      } catch (const TXMLDocError& e) {
        EXPECT_STREQ(e.what(), "Element does not contain a single text node");
      }
    } else {
      EXPECT_EQ(root.NodeValue(), c.value);
    }
  }
}

TEST(XmlDom, WhiteSpaceIsKeptOnlyWhenAskedFor) {
  TXMLDocument dropping;
  EXPECT_EQ(Root(dropping, "<a> <b/> </a>").ChildNodes().Count(), 1);
  TXMLDocument keeping(doNodeAutoCreate | doAttrNull, poPreserveWhiteSpace);
  const TXMLNode root = Root(keeping, "<a> <b/> </a>");
  EXPECT_EQ(root.ChildNodes().Count(), 3);
  EXPECT_EQ(root.ChildNodes().Nodes(0).NodeName(), "#text");
  EXPECT_EQ(Root(keeping, "<a> </a>").NodeValue(), std::optional<std::string>(" "));
}

struct FindCase {
  const char* xml;
  const char* name;
  const char* found;  // qualified name of the node found, nullptr for none
};

TEST(XmlDom, FindNodeMatchesQualifiedOrLocalNameInTheParentsNamespace) {
  const FindCase cases[] = {
      // A parent without namespace searches every child: a prefixed title
      // that comes first is found by its local name.
      {"<p><dc:title xmlns:dc='urn:dc'>a</dc:title><title>b</title></p>", "title", "dc:title"},
      {"<p><Title/></p>", "title", nullptr},
      {"<p><content:encoded xmlns:content='urn:c'/></p>", "content:encoded", "content:encoded"},
      {"<p><content:encoded xmlns:content='urn:c'/></p>", "encoded", "content:encoded"},
      {"<p><content:encoded xmlns:content='urn:c'/></p>", "content", nullptr},
      {"<p><encoded/></p>", "content:encoded", nullptr},
      // A parent with a namespace only sees children of that namespace.
      {"<p xmlns='urn:rss'><dc:date xmlns:dc='urn:dc'/><date/></p>", "date", "date"},
      {"<p xmlns='urn:rss'><dc:date xmlns:dc='urn:dc'/></p>", "dc:date", nullptr},
      {"<p xmlns='URN:RSS'><q xmlns='urn:rss'/></p>", "q", "q"},
      {"<p><!-- c --><x/></p>", "x", "x"},
      {"<p/>", "x", nullptr},
      // Names are whole: neither a beginning nor a longer name matches.
      {"<p><title/></p>", "titl", nullptr},
      {"<p><title/></p>", "titles", nullptr},
      {"<p><dc:date xmlns:dc='urn:dc'/></p>", "dc:dat", nullptr},
      {"<p><dc:date xmlns:dc='urn:dc'/></p>", "d:date", nullptr},
      {"<p><dc:date xmlns:dc='urn:dc'/></p>", "dc:", nullptr},
      {"<p><dc:date xmlns:dc='urn:dc'/></p>", ":date", nullptr},
      // More children than a list keeps off the heap.
      {"<p><a/><b/><c/><d/><e/><f/><g/><h/><i/><j/><k/><l/><m/><n/><o/><q/><r/><s/><z>1</z><z>2</z></p>", "z", "z"},
  };
  for (const FindCase& c : cases) {
    SCOPED_TRACE(std::string(c.xml) + " / " + c.name);
    TXMLDocument document;
    const TXMLNode found = Root(document, c.xml).ChildNodes().FindNode(c.name);
    if (c.found == nullptr) {
      EXPECT_TRUE(found.IsNull());
    } else {
      ASSERT_FALSE(found.IsNull());
      EXPECT_EQ(found.NodeName(), c.found);
    }
  }
}

TEST(XmlDom, NamesOfNodes) {
  TXMLDocument document;
  const TXMLNode root = Root(document, "<r xmlns:dc='urn:dc'>t<dc:date a='1' dc:b='2'/><![CDATA[c]]><!--x--></r>");
  const TXMLNodeList children = root.ChildNodes();
  ASSERT_EQ(children.Count(), 4);
  EXPECT_EQ(children.Nodes(0).NodeName(), "#text");
  EXPECT_EQ(children.Nodes(1).NodeName(), "dc:date");
  EXPECT_EQ(children.Nodes(1).LocalName(), "date");
  EXPECT_EQ(children.Nodes(1).NamespaceURI(), "urn:dc");
  EXPECT_EQ(children.Nodes(2).NodeName(), "#cdata-section");
  EXPECT_EQ(children.Nodes(3).NodeName(), "#comment");
  EXPECT_EQ(children.Nodes(3).NodeValue(), std::optional<std::string>("x"));
  const TXMLNodeList attributes = children.Nodes(1).AttributeNodes();
  ASSERT_EQ(attributes.Count(), 2);
  EXPECT_EQ(attributes.Nodes(1).NodeName(), "dc:b");
  EXPECT_EQ(children.Nodes(1).GetAttribute("b"), std::optional<std::string>("2"));
  EXPECT_THROW(children.Nodes(4), TXMLDocError);
}

// NodeNameIs and LocalNameIs answer as comparing NodeName and LocalName would.
TEST(XmlDom, NameTestsAgreeWithTheNames) {
  TXMLDocument document;
  const TXMLNode root =
      Root(document, "<r xmlns:dc='urn:dc'>t<dc:date a='1' dc:b='2'/><date/><![CDATA[c]]><!--x--><?pi d?></r>");
  const std::string_view names[] = {"dc:date", "date",     "dc",
                                    "dc:b",    "b",        "a",
                                    "#text",   "#comment", "#cdata-section",
                                    "pi",      "",         std::string_view("date\0", 5),
                                    "dc:date:"};
  const TXMLNodeList children = root.ChildNodes();
  std::vector<TXMLNode> nodes(children.begin(), children.end());
  for (const TXMLNode& attribute : children.Nodes(1).AttributeNodes()) nodes.push_back(attribute);
  ASSERT_EQ(nodes.size(), 8u);
  for (const TXMLNode& node : nodes) {
    for (std::string_view name : names) {
      SCOPED_TRACE(node.NodeName() + " / " + std::string(name));
      EXPECT_EQ(node.NodeNameIs(name), node.NodeName() == name);
      EXPECT_EQ(node.LocalNameIs(name), node.LocalName() == name);
    }
  }
}

TEST(XmlDom, MissingNodesAskedForByNameAreCreatedEmpty) {
  TXMLDocument document;
  TXMLNode root = Root(document, "<r a='x' e=''><c>1</c></r>");
  TXMLNodeList children = root.ChildNodes();
  const TXMLNode created = children.Nodes("missing");
  EXPECT_EQ(created.NodeName(), "missing");
  EXPECT_EQ(created.NodeValue(), std::nullopt);
  EXPECT_EQ(children.Count(), 2);
  EXPECT_EQ(root.ChildNodes().FindNode("missing"), created);
  EXPECT_EQ(children.Nodes("c").NodeValue(), std::optional<std::string>("1"));

  EXPECT_EQ(root.AttributeNodes().Nodes("a").NodeValue(), std::optional<std::string>("x"));
  EXPECT_EQ(root.AttributeNodes().Nodes("port").NodeValue(), std::nullopt);
  EXPECT_TRUE(root.HasAttribute("port"));
  EXPECT_EQ(root.GetAttribute("e"), std::nullopt);
  EXPECT_EQ(root.GetAttribute("nothing"), std::nullopt);

  TXMLDocument strict(0);
  TXMLNode strictRoot = Root(strict, "<r/>");
  EXPECT_THROW(strictRoot.ChildNodes().Nodes("missing"), TXMLDocError);
  EXPECT_EQ(strictRoot.GetAttribute("nothing"), std::optional<std::string>(""));
}

TEST(XmlDom, ActiveSwitchParsesAndDropsTheTree) {
  TXMLDocument document;
  EXPECT_FALSE(document.Active());
  try {
    document.DocumentElement();
    ADD_FAILURE() << "no error";
  } catch (const TXMLDocError& e) {
    EXPECT_STREQ(e.what(), "No active document");
  }
  document.SetActive(true);
  EXPECT_TRUE(document.DocumentElement().IsNull());  // empty text, empty document

  Root(document, "<a/>");
  document.SetXML("<b/>");
  EXPECT_FALSE(document.Active());
  document.SetActive(true);
  EXPECT_EQ(document.DocumentElement().NodeName(), "b");
}

struct MalformedCase {
  const char* xml;
  const char* message;  // part of the parser's message
};

TEST(XmlDom, MalformedTextGivesTheParsersMessageAndStaysInactive) {
  const MalformedCase cases[] = {
      {"<rss><channel></rss>", "Opening and ending tag mismatch"},
      {"<rss>", "Premature end of data"},
      {"not xml", "Start tag expected"},
      {"<rss>&nbsp;</rss>", "Entity 'nbsp' not defined"},
      {"<?xml version='1.0' encoding='utf-8'?><a>\xff</a>", "not proper UTF-8, indicate encoding ! Bytes: 0xFF"},
      {"<?xml version='1.0' encoding='UTF-32'?><a/>", "encoder error"},
  };
  for (const MalformedCase& c : cases) {
    SCOPED_TRACE(c.xml);
    TXMLDocument document;
    ::testing::internal::CaptureStderr();
    const std::string message = FailureOf(document, c.xml);
    EXPECT_EQ(::testing::internal::GetCapturedStderr(), "");
    EXPECT_NE(message.find(c.message), std::string::npos) << message;
    EXPECT_EQ(message.find('\n'), std::string::npos) << message;  // one status-bar line
    EXPECT_FALSE(document.Active());
  }
}

TEST(XmlDom, DeclaredWindows1251ComesOutAsUtf8) {
  TXMLDocument document;
  const std::string text =
      "<?xml version=\"1.0\" encoding=\"windows-1251\"?><t a=\"\xc0\">\xcf\xf0\xe8\xe2\xe5\xf2 \xab\xb9\xbb</t>";
  const TXMLNode root = Root(document, text);
  EXPECT_EQ(root.NodeValue(), std::optional<std::string>("Привет «№»"));
  EXPECT_EQ(root.GetAttribute("a"), std::optional<std::string>("А"));
}

class XmlDomHostile : public ::testing::Test {
 protected:
  void SetUp() override {
    folder_ = std::filesystem::temp_directory_path() / ("xmldom-" + std::to_string(::getpid()));
    std::filesystem::create_directories(folder_);
    std::ofstream(folder_ / "secret.txt") << "TOP-SECRET";
    std::ofstream(folder_ / "evil.dtd") << "<!ENTITY leak \"FROM-DTD\">";
  }
  void TearDown() override { std::filesystem::remove_all(folder_); }
  std::filesystem::path folder_;
};

TEST_F(XmlDomHostile, ExternalEntitiesAndDtdsAreNeverRead) {
  const std::string secret = (folder_ / "secret.txt").string();
  const std::string dtd = (folder_ / "evil.dtd").string();
  const std::string texts[] = {
      "<!DOCTYPE r [<!ENTITY x SYSTEM \"file://" + secret + "\">]><r><t>&x;</t></r>",
      "<!DOCTYPE r [<!ENTITY x SYSTEM \"" + secret + "\">]><r a='1'><t>&x;</t></r>",
      "<!DOCTYPE r SYSTEM \"" + dtd + "\"><r><t>&leak;</t></r>",
      "<!DOCTYPE r [<!ENTITY % p SYSTEM \"" + dtd + "\"> %p;]><r><t>&leak;</t></r>",
  };
  for (const std::string& text : texts) {
    SCOPED_TRACE(text);
    TXMLDocument document;
    try {
      const TXMLNode t = Root(document, text).ChildNodes().FindNode("t");
      ASSERT_FALSE(t.IsNull());
      const auto value = t.NodeValue();
      EXPECT_EQ(value, std::nullopt);
    } catch (const TXMLDocError& e) {
      const std::string message = e.what();
      EXPECT_EQ(message.find("TOP-SECRET"), std::string::npos);
      EXPECT_EQ(message.find("FROM-DTD"), std::string::npos);
    }
  }
}

TEST_F(XmlDomHostile, ExpansionBombsDeepNestingAndHugeTextFail) {
  std::string bomb = "<!DOCTYPE r [<!ENTITY a \"aaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaa\">";
  std::string previous = "a";
  for (int level = 0; level < 10; ++level) {
    const std::string name = "e" + std::to_string(level);
    bomb += "<!ENTITY " + name + " \"";
    for (int i = 0; i < 10; ++i) bomb += "&" + previous + ";";
    bomb += "\">";
    previous = name;
  }
  bomb += "]><r v=\"&" + previous + ";\"/>";

  std::string deep;
  for (int i = 0; i < 5000; ++i) deep += "<a>";
  for (int i = 0; i < 5000; ++i) deep += "</a>";

  const std::string huge = "<r><t>" + std::string(10000001, 'x') + "</t></r>";
  const std::string hugeCData = "<r><t><![CDATA[" + std::string(10000001, 'x') + "]]></t></r>";

  const std::string textBomb = bomb.substr(0, bomb.find("<r ")) + "<r>&" + previous + ";</r>";

  // Attributes: too many on one element, also in UTF-16; a quoted ">" or "="
  // is no markup, so the count is exact.
  auto element = [](int attributes, const char* value) {
    std::string text = "<r><e";
    for (int i = 0; i < attributes; ++i) text += " a" + std::to_string(i) + "='" + value + "'";
    return text + "/></r>";
  };
  const std::string flood = element(1001, "x");
  std::string flood16;
  for (char c : flood) flood16 += std::string{c, '\0'};
  std::string manyMedium = "<r>";
  for (int i = 0; i < 70; ++i) manyMedium += element(1000, "") + "\n";

  const MalformedCase cases[] = {
      {bomb.c_str(), "entity"},
      {textBomb.c_str(), "entity"},
      {flood.c_str(), "Element with more than 1000 attributes (line 1)"},
      {manyMedium.c_str(), "Too many attributes in the document (line 65)"},
      {deep.c_str(), "Excessive depth"},
      {huge.c_str(), "Text longer than 10000000 bytes"},
      {hugeCData.c_str(), "CData section too big"},
  };
  for (const MalformedCase& c : cases) {
    SCOPED_TRACE(c.message);
    TXMLDocument document;
    EXPECT_NE(FailureOf(document, c.xml).find(c.message), std::string::npos) << FailureOf(document, c.xml);
  }
  TXMLDocument document;
  EXPECT_EQ(FailureOf(document, "\xff\xfe" + flood16), "Element with more than 1000 attributes (line 1)");
  EXPECT_EQ(Root(document, element(1000, "=>\"")).ChildNodes().Nodes(0).AttributeNodes().Count(), 1000);
}

}  // namespace
}  // namespace quarlen
