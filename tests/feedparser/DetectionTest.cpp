#include "RssTestSupport.h"

#include "feedparser/SimpleRSSUtils.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <vector>

namespace quarlen {
namespace {

using test::LoadAndParse;
using test::ParseFailure;
using test::RssWith;

TEST(FeedDetection, StartsActiveAndEmpty) {
  TSimpleRSS rss;
  EXPECT_TRUE(rss.XMLFile().Active());
  EXPECT_EQ(rss.XMLType(), xtRDF);
  EXPECT_EQ(rss.Version(), "2.0");
  EXPECT_EQ(rss.Items().Count(), 0);
  EXPECT_EQ(rss.XMLFileOptions().Options(), doNodeAutoCreate | doAttrNull | doAutoPrefix | doNamespaceDecl);
  EXPECT_EQ(rss.XMLFileOptions().ParseOptions(), 0u);
  try {
    rss.Parse();
    ADD_FAILURE() << "an empty document was parsed";
  } catch (const TSimpleRSSException& e) {
    EXPECT_STREQ(e.what(), "Document is empty");
  }
}

struct RootCase {
  const char* document;
  TXMLType type;
  const char* unknown;  // expected message for an unrecognised root
};

TEST(FeedDetection, RootElementNamesTheFormat) {
  const char* channel = "<channel><title>T</title><link>L</link><description>D</description></channel>";
  const RootCase cases[] = {
      {"<rss>%</rss>", xtRSS, nullptr},
      {"<RSS>%</RSS>", xtRSS, nullptr},
      {"<Rss>%</Rss>", xtRSS, nullptr},
      {"<rdf:RDF xmlns:rdf='http://www.w3.org/1999/02/22-rdf-syntax-ns#'>%</rdf:RDF>", xtRDF, nullptr},
      {"<feed>%</feed>", xtAtom, nullptr},
      {"<RDF>%</RDF>", xtRDF, "unkown format: RDF"},
      {"<html>%</html>", xtRDF, "unkown format: html"},
      {"<x:rss xmlns:x='urn:x'>%</x:rss>", xtRDF, "unkown format: x:rss"},
      {"<channel/>", xtRDF, "unkown format: channel"},
  };
  for (const RootCase& c : cases) {
    SCOPED_TRACE(c.document);
    std::string text = c.document;
    if (const auto at = text.find('%'); at != std::string::npos) text.replace(at, 1, channel);
    TSimpleRSS rss;
    const std::string failure = ParseFailure(rss, text);
    if (c.unknown != nullptr) {
      EXPECT_EQ(failure, c.unknown);
    } else {
      EXPECT_EQ(failure.find("unkown format"), std::string::npos) << failure;
      EXPECT_EQ(rss.XMLType(), c.type);
    }
  }
}

TEST(FeedDetection, VersionIsKeptUntilADocumentGivesOne) {
  TSimpleRSS rss;
  LoadAndParse(rss,
               "<rss version=\"0.91\"><channel><title>T</title><link>L</link><description>D</description>"
               "</channel></rss>");
  EXPECT_EQ(rss.Version(), "0.91");
  ParseFailure(rss, "<rdf:RDF xmlns:rdf='http://www.w3.org/1999/02/22-rdf-syntax-ns#'/>");
  EXPECT_EQ(rss.XMLType(), xtRDF);
  EXPECT_EQ(rss.Version(), "0.91");
  EXPECT_EQ(ParseFailure(rss, "<html version='5'/>"), "unkown format: html");
  EXPECT_EQ(rss.Version(), "0.91");
  EXPECT_EQ(rss.XMLType(), xtRDF);
  LoadAndParse(rss, RssWith(""));
  EXPECT_EQ(rss.Version(), "2.0");
  EXPECT_EQ(rss.XMLType(), xtRSS);
}

TEST(FeedDetection, EveryParseStartsFromANewModel) {
  TSimpleRSS rss;
  LoadAndParse(rss, RssWith("<language>de</language><item><title>a</title></item>"));
  ASSERT_EQ(rss.Items().Count(), 1);
  EXPECT_EQ(rss.Channel().Required().Title(), "T");

  EXPECT_EQ(ParseFailure(rss, "<html/>"), "unkown format: html");
  EXPECT_EQ(rss.XMLType(), xtRSS);  // still the last recognised kind
  EXPECT_EQ(rss.Items().Count(), 0);
  EXPECT_EQ(rss.Channel().Required().Title(), "Title Required");
  EXPECT_EQ(rss.Channel().Optional().Language(), langEN);

  LoadAndParse(rss, RssWith("<item><title>b</title></item>"));
  ASSERT_EQ(rss.Items().Count(), 1);
  EXPECT_EQ(rss.Items()[0].Title(), "b");
}

TEST(FeedDetection, ParseNeedsAnActiveDocument) {
  TSimpleRSS rss;
  rss.LoadFromString(RssWith(""));
  EXPECT_FALSE(rss.XMLFile().Active());
  try {
    rss.Parse();
    ADD_FAILURE() << "an inactive document was parsed";
  } catch (const TXMLDocError& e) {
    EXPECT_STREQ(e.what(), "No active document");
  }
  rss.XMLFile().SetActive(true);
  EXPECT_NO_THROW(rss.Parse());
}

TEST(FeedDetection, AReaderFailureKeepsTheItemsReadBeforeIt) {
  TSimpleRSS rss;
  const std::string failure = ParseFailure(
      rss,
      RssWith(
          "<item><title>one</title></item><item><title>two</title><comments/></item><item><title>3</title></item>"));
  EXPECT_NE(failure.find("comments"), std::string::npos) << failure;
  ASSERT_EQ(rss.Items().Count(), 2);
  EXPECT_EQ(rss.Items()[0].Title(), "one");
  EXPECT_EQ(rss.Items()[1].Title(), "two");
}

struct Base64Case {
  bool plain;
  std::string text;
  std::string decoded;
};

TEST(SharedFunctions, DecodeBase64Text) {
  const Base64Case cases[] = {
      {true, "SGVsbG8=", "SGVsbG8="},
      {false, "SGVsbG8=", "Hello"},
      {false, "SGVsbG8", "Hello"},
      {false, "SGVs\r\n bG8g\td29y bGQ=", "Hello world"},
      {false, "0J/RgNC40LLQtdGC", "Привет"},
      {false, "PGI+eDwvYj4=", "<b>x</b>"},
      {false, "", ""},
      {false, "SGVs*bG8=", "Hel"},
      {false, "SGVsbG8=garbage", "Hello"},
  };
  for (const Base64Case& c : cases) {
    SCOPED_TRACE(c.text);
    EXPECT_EQ(DecodeBase64Text(c.plain, c.text), c.decoded);
  }
}

struct SkipCase {
  std::vector<std::string> texts;
  std::vector<std::string> set;
};

std::string Children(const std::vector<std::string>& texts, const char* element) {
  std::string result;
  for (const std::string& text : texts) result += std::string("<") + element + ">" + text + "</" + element + ">";
  return result;
}

TEST(SharedFunctions, ReadSkipHoursMatchesWholeTexts) {
  const SkipCase cases[] = {
      {{"0", "12", "24"}, {"h00", "h12"}},
      {{"07", " 7", "7 ", "-1", "1.0"}, {}},
      {{"23", "1", "1"}, {"h01", "h23"}},
      {{"", "5"}, {"h05"}},
  };
  for (const SkipCase& c : cases) {
    TSimpleRSS rss;
    TXMLDocument document;
    document.SetXML("<skipHours>" + Children(c.texts, "hour") + "<!--9--><day>3</day></skipHours>");
    document.SetActive(true);
    ReadSkipHours(document.DocumentElement(), rss);
    std::vector<std::string> set;
    for (int hour = 0; hour < 24; ++hour) {
      if (rss.Channel().Optional().SkipHours().Hour(hour)) set.push_back(TRSSChannelSkipHours::FlagName(hour));
    }
    // Comments count as children with a text; element names play no part.
    std::vector<std::string> expected = c.set;
    expected.push_back("h03");
    expected.push_back("h09");
    std::sort(expected.begin(), expected.end());
    EXPECT_EQ(set, expected);
  }
}

TEST(SharedFunctions, ReadSkipDaysMatchesExactNames) {
  TSimpleRSS rss;
  rss.Channel().Optional().SkipDays().SetDay(sdFriday, true);
  TXMLDocument document;
  document.SetXML("<skipDays>" + Children({"Monday", "sunday", "Sunday", " Tuesday", "Wed"}, "day") + "</skipDays>");
  document.SetActive(true);
  ReadSkipDays(document.DocumentElement(), rss);
  const TRSSChannelSkipDays& days = rss.Channel().Optional().SkipDays();
  EXPECT_TRUE(days.Day(sdMonday));
  EXPECT_TRUE(days.Day(sdSunday));
  EXPECT_TRUE(days.Day(sdFriday));  // never set back
  EXPECT_FALSE(days.Day(sdTuesday));
  EXPECT_FALSE(days.Day(sdWednesday));
}

}  // namespace
}  // namespace quarlen
