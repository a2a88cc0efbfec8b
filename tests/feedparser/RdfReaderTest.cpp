#include "feedparser/SimpleRSS.h"
#include "tests/feedparser/ReaderTestSupport.h"

#include <gtest/gtest.h>

#include <functional>
#include <string>

namespace quarlen {
namespace {

using test::LoadAndParse;
using test::ParseOutcome;

const std::string RdfOpen =
    "<rdf:RDF xmlns:rdf=\"http://www.w3.org/1999/02/22-rdf-syntax-ns#\" "
    "xmlns:dc=\"http://purl.org/dc/elements/1.1/\"";
const std::string RdfDefaultNs = RdfOpen + " xmlns=\"http://purl.org/rss/1.0/\">";
const std::string RdfNoNs = RdfOpen + ">";
const std::string RdfClose = "</rdf:RDF>";

std::string Rdf(const std::string& body) { return RdfNoNs + body + RdfClose; }

struct RdfCase {
  const char* name;
  std::string xml;
  const char* failure;  // "" when the document is read
  const char* message;  // expected message of a "feed" failure
  std::function<void(const ParseOutcome&)> check;
};

void PrintTo(const RdfCase& c, std::ostream* os) { *os << c.name; }

class RdfReaderTest : public ::testing::TestWithParam<RdfCase> {};

TEST_P(RdfReaderTest, ReadsByTheRdfRules) {
  const RdfCase& c = GetParam();
  const ParseOutcome out = LoadAndParse(c.xml);
  EXPECT_EQ(out.failure, c.failure) << out.message;
  if (std::string(c.failure) == "feed") {
    EXPECT_EQ(out.message, c.message);
  }
  EXPECT_EQ(out.rss->XMLType(), xtRDF);
  if (c.check) c.check(out);
}

const std::string StandardRss10 =
    RdfDefaultNs +
    "<channel rdf:about=\"http://127.0.0.1/\">"
    "  <title>RDF news</title><link>http://127.0.0.1/</link><description>Latest</description>"
    "  <dc:language>de</dc:language><language>fr</language>"
    "  <items><rdf:Seq><rdf:li rdf:resource=\"http://127.0.0.1/1\"/>"
    "  <rdf:li rdf:resource=\"http://127.0.0.1/2\"/></rdf:Seq></items>"
    "  <image rdf:resource=\"http://127.0.0.1/i.png\"/>"
    "</channel>"
    "<image rdf:about=\"http://127.0.0.1/i.png\"><url>http://127.0.0.1/i.png</url>"
    "  <title>Logo</title><link>http://127.0.0.1/</link><width>200</width></image>"
    "<item rdf:about=\"http://127.0.0.1/1\"><title>One</title><link>http://127.0.0.1/1</link>"
    "  <description>first &amp; best</description><dc:date>2005-05-03T18:14:20+02:00</dc:date>"
    "  <ticker>http://127.0.0.1/c.png</ticker></item>"
    "<item rdf:about=\"http://127.0.0.1/2\"><title>Two</title><link>http://127.0.0.1/2</link>"
    "  <guid>g-2</guid></item>"
    "<textinput><title>lower case</title></textinput>" +
    RdfClose;

INSTANTIATE_TEST_SUITE_P(
    Rules, RdfReaderTest,
    ::testing::Values(
        RdfCase{"StandardDocument", StandardRss10, "", "",
                [](const ParseOutcome& o) {
                  const TSimpleRSS& rss = *o.rss;
                  EXPECT_EQ(rss.Channel().Required().Title(), "RDF news");
                  EXPECT_EQ(rss.Channel().Required().Link(), "http://127.0.0.1/");
                  EXPECT_EQ(rss.Channel().Required().Desc(), "Latest");
                  // Only title, link and description are taken from inside "channel".
                  EXPECT_EQ(rss.Channel().Optional().Language(), langEN);
                  EXPECT_TRUE(rss.Channel().Optional().Image().Include());
                  EXPECT_EQ(rss.Channel().Optional().Image().Required().Title(), "Logo");
                  EXPECT_EQ(rss.Channel().Optional().Image().Optional().Width(), 144);
                  EXPECT_FALSE(rss.Channel().Optional().TextInput().Include());
                  ASSERT_EQ(rss.Items().Count(), 2);
                  const TRSSItem& one = rss.Items()[0];
                  EXPECT_EQ(one.Title(), "One");
                  EXPECT_EQ(one.Link(), "http://127.0.0.1/1");
                  EXPECT_EQ(one.Description(), "first & best");
                  EXPECT_EQ(one.Ticker(), "");
                  // The items are in the RSS 1.0 namespace, dc:date is not.
                  EXPECT_GE(one.PubDate().DateTime(), o.before);
                  EXPECT_LE(one.PubDate().DateTime(), o.after);
                  EXPECT_EQ(one.PubDate().TimeZone(), "GMT");
                  const TRSSItem& two = rss.Items()[1];
                  EXPECT_EQ(two.Title(), "Two");
                  EXPECT_TRUE(two.GUID().Include());
                  EXPECT_EQ(two.GUID().GUID(), "g-2");
                  EXPECT_FALSE(two.GUID().IsPermaLink());
                }},
        RdfCase{"NoChannelItemsOnly",
                Rdf("<item><title>A</title><dc:date>2005-05-03T18:14:20+02:00</dc:date></item>"
                    "<item><description>B</description><pubDate>Sun, 06 Nov 1994 08:49:37 GMT</pubDate>"
                    "<dc:date>2001-01-01T00:00:00Z</dc:date></item>"),
                "", "",
                [](const ParseOutcome& o) {
                  const TSimpleRSS& rss = *o.rss;
                  EXPECT_EQ(rss.Channel().Required().Title(), "Title Required");
                  EXPECT_EQ(rss.Channel().Required().Desc(), "Description Required");
                  ASSERT_EQ(rss.Items().Count(), 2);
                  EXPECT_EQ(DateTimeIsoText(rss.Items()[0].PubDate().DateTime()), "2005-05-03T18:14:20");
                  EXPECT_EQ(rss.Items()[0].PubDate().TimeZone(), "+02:00");
                  EXPECT_EQ(rss.Items()[1].Title(), "");
                  EXPECT_EQ(rss.Items()[1].Description(), "B");
                  // pubDate replaces the dc:date value; the zone text stays.
                  EXPECT_EQ(DateTimeIsoText(rss.Items()[1].PubDate().DateTime()), "1994-11-06T08:49:37");
                  EXPECT_EQ(rss.Items()[1].PubDate().TimeZone(), "Z");
                }},
        RdfCase{"LaterTitleWins",
                Rdf("<title>before</title><channel><title>inside</title><link>L</link></channel>"
                    "<description>after</description><title>root after</title>"),
                "", "",
                [](const ParseOutcome& o) {
                  EXPECT_EQ(o.rss->Channel().Required().Title(), "root after");
                  EXPECT_EQ(o.rss->Channel().Required().Link(), "L");
                  EXPECT_EQ(o.rss->Channel().Required().Desc(), "after");
                  EXPECT_EQ(o.rss->Items().Count(), 0);
                }},
        RdfCase{"ChannelElementsAtRootLevel",
                Rdf("<language>en-us</language><copyright>c</copyright><ttl>-5</ttl>"
                    "<pubDate>Tue, 3 May 05 18:14 +0200</pubDate><generator>g</generator>"
                    "<category domain=\"d\">Stocks</category><category>Bonds</category>"
                    "<cloud domain=\"h\" port=\"0\" path=\"/p\" registerProcedure=\"r\" protocol=\"soap\"/>"
                    "<skipHours><hour>0</hour><hour>12</hour><hour>24</hour></skipHours>"
                    "<skipDays><day>Monday</day><day>sunday</day></skipDays>"
                    "<textInput><title>S</title><description>D</description><name>q</name>"
                    "<link>http://127.0.0.1/s</link></textInput><rating>r</rating>"),
                "", "",
                [](const ParseOutcome& o) {
                  const TRSSChannelOpt& opt = o.rss->Channel().Optional();
                  EXPECT_EQ(opt.Language(), langEN_US);
                  EXPECT_EQ(opt.XLang(), "");
                  EXPECT_EQ(opt.Copyright(), "c");
                  EXPECT_EQ(opt.TTL(), 0);
                  EXPECT_EQ(DateTimeIsoText(opt.PubDate().DateTime()), "2005-05-03T18:14:00");
                  EXPECT_EQ(opt.Generator(), "g");
                  ASSERT_EQ(opt.Categories().Count(), 2);
                  EXPECT_EQ(opt.Categories()[0].Category(), "Stocks");
                  EXPECT_EQ(opt.Categories()[0].Domain(), "d");
                  EXPECT_EQ(opt.Categories()[1].Domain(), "");
                  EXPECT_TRUE(opt.Cloud().Include());
                  EXPECT_EQ(opt.Cloud().Port(), 1);
                  EXPECT_EQ(opt.Cloud().Protocol(), "soap");
                  EXPECT_TRUE(opt.SkipHours().Hour(0));
                  EXPECT_TRUE(opt.SkipHours().Hour(12));
                  EXPECT_FALSE(opt.SkipHours().Hour(23));
                  EXPECT_TRUE(opt.SkipDays().Day(sdMonday));
                  EXPECT_FALSE(opt.SkipDays().Day(sdSunday));
                  EXPECT_TRUE(opt.TextInput().Include());
                  EXPECT_EQ(opt.TextInput().TextInputName(), "q");
                  EXPECT_EQ(opt.Rating(), "r");
                }},
        RdfCase{"UnknownLanguageGoesToXLang", Rdf("<language>x-klingon</language>"), "", "",
                [](const ParseOutcome& o) {
                  EXPECT_EQ(o.rss->Channel().Optional().Language(), langX);
                  EXPECT_EQ(o.rss->Channel().Optional().XLang(), "x-klingon");
                }},
        RdfCase{"ItemDifferencesFromRss",
                Rdf("<item><title>T</title><content:encoded xmlns:content=\"urn:c\">enc</content:encoded>"
                    "<content>c</content><ticker>t</ticker><author>ann</author>"
                    "<guid isPermaLink=\"true\">p</guid>"
                    "<enclosure url=\"u\" length=\"12\" type=\"audio/mpeg\"/>"
                    "<source url=\"http://127.0.0.1/src\">Wire</source>"
                    "<category domain=\"d\">one</category><dc:category>two</dc:category></item>"
                    "<item><title>U</title><guid isPermaLink=\"TRUE\">q</guid>"
                    "<description><![CDATA[<b>bold</b>]]></description></item>"),
                "", "",
                [](const ParseOutcome& o) {
                  ASSERT_EQ(o.rss->Items().Count(), 2);
                  const TRSSItem& a = o.rss->Items()[0];
                  EXPECT_EQ(a.Description(), "");
                  EXPECT_EQ(a.Ticker(), "");
                  EXPECT_EQ(a.Author().Name(), "ann");
                  EXPECT_TRUE(a.GUID().IsPermaLink());
                  EXPECT_TRUE(a.Enclosure().Include());
                  EXPECT_EQ(a.Enclosure().Length(), 12);
                  EXPECT_EQ(a.Enclosure().EnclosureType(), "audio/mpeg");
                  EXPECT_TRUE(a.Source().Include());
                  EXPECT_EQ(a.Source().Title(), "Wire");
                  EXPECT_EQ(a.Source().URL(), "http://127.0.0.1/src");
                  ASSERT_EQ(a.Categories().Count(), 2);
                  EXPECT_EQ(a.Categories()[0].Domain(), "d");
                  EXPECT_EQ(a.Categories()[1].Title(), "two");
                  const TRSSItem& b = o.rss->Items()[1];
                  EXPECT_FALSE(b.GUID().IsPermaLink());
                  EXPECT_EQ(b.Description(), "<b>bold</b>");
                }},
        RdfCase{"ItemWithoutTitleOrDescription",
                Rdf("<item><title>ok</title></item><item><Title>case counts</Title>"
                    "<content:encoded xmlns:content=\"urn:c\">x</content:encoded></item>"
                    "<item><title>never read</title></item>"),
                "feed", "Required Field Missing. Field: item -> title",
                [](const ParseOutcome& o) {
                  // The failing item was appended before the check.
                  ASSERT_EQ(o.rss->Items().Count(), 2);
                  EXPECT_EQ(o.rss->Items()[0].Title(), "ok");
                  EXPECT_EQ(o.rss->Items()[1].Title(), "");
                }},
        RdfCase{"DescriptionWithMarkupIsNoValue",
                Rdf("<item><title>t</title><description>a <b>b</b></description></item>"), "dom", "", nullptr},
        RdfCase{"EmptyCommentsIsNoValue", Rdf("<item><title>t</title><comments/></item>"), "conversion", "", nullptr},
        RdfCase{"EnclosureWithoutLength", Rdf("<item><title>t</title><enclosure url=\"u\" type=\"t\"/></item>"), "feed",
                "Required Field Missing. Field: enclosure -> length", nullptr},
        RdfCase{"EnclosureLengthNotANumber",
                Rdf("<item><title>t</title><enclosure url=\"u\" length=\"big\" type=\"t\"/></item>"), "conversion", "",
                nullptr},
        RdfCase{"SourceWithoutUrl", Rdf("<item><title>t</title><source>s</source></item>"), "feed",
                "Required Field Missing. Field: source -> url", nullptr},
        RdfCase{"ImageWithoutLink", Rdf("<image><url>u</url><title>t</title></image>"), "feed",
                "Required Field Missing. Field: image -> link", nullptr},
        RdfCase{"TextInputWithoutName",
                Rdf("<textinput/><textInput><title>t</title><description>d</description>"
                    "<link>l</link></textInput>"),
                "feed", "Required Field Missing. Field: textInput -> name", nullptr},
        RdfCase{"CloudMissingAttribute", Rdf("<cloud domain=\"h\" port=\"80\"/>"), "conversion", "", nullptr},
        RdfCase{"TtlNotANumber", Rdf("<ttl>soon</ttl>"), "conversion", "", nullptr},
        RdfCase{"DateFieldOutOfRange",
                Rdf("<item><title>a</title></item><item><title>b</title><dc:date>-1-05-03</dc:date></item>"), "range",
                "", [](const ParseOutcome& o) { EXPECT_EQ(o.rss->Items().Count(), 2); }}));

TEST(RdfReader, RootNamesAndVersion) {
  // The version of an earlier document stays when the next one has none.
  TSimpleRSS rss;
  rss.LoadFromString(
      "<rss version=\"0.91\"><channel><title>t</title><link>l</link>"
      "<description>d</description></channel></rss>");
  rss.XMLFile().SetActive(true);
  rss.Parse();
  rss.LoadFromString(Rdf("<item><title>x</title></item>"));
  rss.XMLFile().SetActive(true);
  rss.Parse();
  EXPECT_EQ(rss.XMLType(), xtRDF);
  EXPECT_EQ(rss.Version(), "0.91");
  EXPECT_EQ(rss.Items().Count(), 1);

  const ParseOutcome upper = LoadAndParse(
      "<RDF:rdf xmlns:RDF=\"http://www.w3.org/1999/02/22-rdf-syntax-ns#\"><item><title>x</title></item>"
      "</RDF:rdf>");
  EXPECT_EQ(upper.failure, "");
  EXPECT_EQ(upper.rss->Items().Count(), 1);

  const ParseOutcome bare = LoadAndParse("<RDF><item><title>x</title></item></RDF>");
  EXPECT_EQ(bare.failure, "feed");
  EXPECT_EQ(bare.message, "unkown format: RDF");
}

}  // namespace
}  // namespace quarlen
