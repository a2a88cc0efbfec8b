#include "feedparser/SimpleRSS.h"
#include "tests/feedparser/ReaderTestSupport.h"

#include <gtest/gtest.h>

#include <functional>
#include <string>

namespace quarlen {
namespace {

using test::LoadAndParse;
using test::ParseOutcome;

std::string Atom(const std::string& body) {
  return "<feed version=\"0.3\" xmlns=\"http://purl.org/atom/ns#\">" + body + "</feed>";
}

struct AtomCase {
  const char* name;
  std::string xml;
  const char* failure;  // "" when the document is read
  const char* message;  // expected message of a "feed" failure
  std::function<void(const ParseOutcome&)> check;
};

void PrintTo(const AtomCase& c, std::ostream* os) { *os << c.name; }

class AtomReaderTest : public ::testing::TestWithParam<AtomCase> {};

TEST_P(AtomReaderTest, ReadsByTheAtomRules) {
  const AtomCase& c = GetParam();
  const ParseOutcome out = LoadAndParse(c.xml);
  EXPECT_EQ(out.failure, c.failure) << out.message;
  if (std::string(c.failure) == "feed") {
    EXPECT_EQ(out.message, c.message);
  }
  EXPECT_EQ(out.rss->XMLType(), xtAtom);
  if (c.check) c.check(out);
}

const std::string Atom03Feed = Atom(
    "<title>Atom news</title>"
    "<link rel=\"alternate\" type=\"text/html\" href=\"http://127.0.0.1/\"/>"
    "<tagline>Latest</tagline><generator>hand</generator>"
    "<modified>2005-05-03T18:14:20Z</modified>"
    "<entry><title>First</title><link rel=\"alternate\" href=\"http://127.0.0.1/e/1\"/>"
    "  <content type=\"text/html\" mode=\"escaped\">&lt;p&gt;Hello&lt;/p&gt;</content>"
    "  <id>tag:127.0.0.1,2005:1</id><modified>2005-05-03T18:14:20+02:00</modified></entry>"
    "<entry><title>Second</title><link rel=\"alternate\" href=\"http://127.0.0.1/e/2\"/>"
    "  <content mode=\"escaped\">two</content><id>tag:127.0.0.1,2005:2</id>"
    "  <modified>2005-05-04T08:00:00Z</modified></entry>");

INSTANTIATE_TEST_SUITE_P(
    Rules, AtomReaderTest,
    ::testing::Values(
        AtomCase{"Atom03FeedWithoutHead", Atom03Feed, "", "",
                 [](const ParseOutcome& o) {
                   const TSimpleRSS& rss = *o.rss;
                   EXPECT_EQ(rss.Version(), "0.3");
                   EXPECT_EQ(rss.Channel().Required().Title(), "Atom news");
                   EXPECT_EQ(rss.Channel().Required().Link(), "http://127.0.0.1/");
                   EXPECT_EQ(rss.Channel().Required().Desc(), "Latest");
                   EXPECT_EQ(rss.Channel().Optional().Generator(), "hand");
                   EXPECT_EQ(DateTimeIsoText(rss.Channel().Optional().PubDate().DateTime()), "2005-05-03T18:14:20");
                   EXPECT_EQ(rss.Channel().Optional().PubDate().TimeZone(), "Z");
                   ASSERT_EQ(rss.Items().Count(), 2);
                   const TRSSItem& first = rss.Items()[0];
                   EXPECT_EQ(first.Title(), "First");
                   EXPECT_EQ(first.Link(), "http://127.0.0.1/e/1");
                   EXPECT_EQ(first.Description(), "<p>Hello</p>");
                   EXPECT_TRUE(first.GUID().Include());
                   EXPECT_EQ(first.GUID().GUID(), "tag:127.0.0.1,2005:1");
                   EXPECT_FALSE(first.GUID().IsPermaLink());
                   EXPECT_EQ(DateTimeIsoText(first.PubDate().DateTime()), "2005-05-03T18:14:20");
                   EXPECT_EQ(first.PubDate().TimeZone(), "+02:00");
                   EXPECT_EQ(first.Ticker(), "");
                   EXPECT_EQ(first.ContentType(), ctText);
                   EXPECT_EQ(rss.Items()[1].Title(), "Second");
                 }},
        AtomCase{"HeadWithEntriesBesideIt",
                 "<feed><head><title>H</title><link href=\"http://127.0.0.1/h\"/><tagline>T</tagline>"
                 "<ttl>15</ttl></head><title>outside</title>"
                 "<entry><title>sibling of head</title></entry></feed>",
                 "", "",
                 [](const ParseOutcome& o) {
                   EXPECT_EQ(o.rss->Channel().Required().Title(), "H");
                   EXPECT_EQ(o.rss->Channel().Required().Link(), "http://127.0.0.1/h");
                   EXPECT_EQ(o.rss->Channel().Optional().TTL(), 15);
                   EXPECT_EQ(o.rss->Items().Count(), 0);
                 }},
        AtomCase{"HeadWithEntriesInside",
                 "<Feed><head><title>H</title><entry><title>in head</title></entry></head></Feed>", "", "",
                 [](const ParseOutcome& o) {
                   ASSERT_EQ(o.rss->Items().Count(), 1);
                   EXPECT_EQ(o.rss->Items()[0].Title(), "in head");
                 }},
        AtomCase{"LastHeaderLinkWithHrefWins",
                 Atom("<link rel=\"alternate\" href=\"http://127.0.0.1/a\"/>"
                      "<link rel=\"self\" href=\"http://127.0.0.1/self\"/><link rel=\"x\"/>"
                      "<subtitle>Atom 1.0 name</subtitle>"),
                 "", "",
                 [](const ParseOutcome& o) {
                   EXPECT_EQ(o.rss->Channel().Required().Link(), "http://127.0.0.1/self");
                   EXPECT_EQ(o.rss->Channel().Required().Desc(), "Description Required");
                   EXPECT_EQ(o.rss->Channel().Required().Title(), "Title Required");
                 }},
        AtomCase{"FirstLinkAndFirstContentOfAnEntry",
                 Atom("<entry><title>t</title><link rel=\"related\"/><link href=\"http://127.0.0.1/2\"/>"
                      "<content>first</content><content>second</content></entry>"
                      "<entry><link href=\"http://127.0.0.1/3\"/><link href=\"http://127.0.0.1/4\"/>"
                      "<content><![CDATA[<i>rich</i>]]></content></entry>"),
                 "", "",
                 [](const ParseOutcome& o) {
                   ASSERT_EQ(o.rss->Items().Count(), 2);
                   EXPECT_EQ(o.rss->Items()[0].Link(), "");
                   EXPECT_EQ(o.rss->Items()[0].Description(), "first");
                   EXPECT_EQ(o.rss->Items()[1].Title(), "");
                   EXPECT_EQ(o.rss->Items()[1].Link(), "http://127.0.0.1/3");
                   EXPECT_EQ(o.rss->Items()[1].Description(), "<i>rich</i>");
                 }},
        AtomCase{"Base64Content",
                 Atom("<entry><title>a</title><content mode=\"base64\">SGVsbG8s\n IHdvcmxkIQ==</content></entry>"
                      "<entry><title>b</title><content mode=\"BASE64\">SGVsbG8=</content></entry>"
                      // Decoding stops at the first character outside the alphabet.
                      "<entry><title>c</title><content mode=\"base64\">SGVsbG8sIHdv*cmxk</content></entry>"
                      // Decoded bytes that are not UTF-8 are replaced, never passed on.
                      "<entry><title>d</title><content mode=\"base64\">QfxC</content></entry>"
                      "<entry><title>e</title><content mode=\"base64\">0J/RgNC40LLQtdGC</content></entry>"),
                 "", "",
                 [](const ParseOutcome& o) {
                   ASSERT_EQ(o.rss->Items().Count(), 5);
                   EXPECT_EQ(o.rss->Items()[0].Description(), "Hello, world!");
                   EXPECT_EQ(o.rss->Items()[1].Description(), "SGVsbG8=");
                   EXPECT_EQ(o.rss->Items()[2].Description(), "Hello, wo");
                   EXPECT_EQ(o.rss->Items()[3].Description(),
                             "A\xEF\xBF\xBD"
                             "B");
                   EXPECT_EQ(o.rss->Items()[4].Description(), "\xD0\x9F\xD1\x80\xD0\xB8\xD0\xB2\xD0\xB5\xD1\x82");
                 }},
        AtomCase{"SummaryIsNotContent",
                 Atom("<entry><title>t</title><summary>s</summary><issued>2005-05-03T00:00:00Z</issued></entry>"), "",
                 "",
                 [](const ParseOutcome& o) {
                   ASSERT_EQ(o.rss->Items().Count(), 1);
                   EXPECT_EQ(o.rss->Items()[0].Description(), "");
                   EXPECT_GE(o.rss->Items()[0].PubDate().DateTime(), o.before);
                   EXPECT_LE(o.rss->Items()[0].PubDate().DateTime(), o.after);
                 }},
        AtomCase{"PubDateReplacesModifiedButKeepsZone",
                 Atom("<entry><title>t</title><modified>2001-02-03T04:05:06-05:00</modified>"
                      "<pubDate>Tue, 03 May 2005 10:00:00 GMT</pubDate></entry>"),
                 "", "",
                 [](const ParseOutcome& o) {
                   const TRSSItem& item = o.rss->Items()[0];
                   EXPECT_EQ(DateTimeIsoText(item.PubDate().DateTime()), "2005-05-03T10:00:00");
                   EXPECT_EQ(item.PubDate().TimeZone(), "-05:00");
                 }},
        AtomCase{"AuthorSteps",
                 Atom("<entry><title>a</title><author><name>Ann</name></author></entry>"
                      "<entry><title>b</title><author><name>Bob</name><email>b@127.0.0.1</email>"
                      "<url>http://127.0.0.1/bob</url></author></entry>"),
                 "", "",
                 [](const ParseOutcome& o) {
                   ASSERT_EQ(o.rss->Items().Count(), 2);
                   EXPECT_EQ(o.rss->Items()[0].Author().Name(), "Ann");
                   EXPECT_EQ(o.rss->Items()[0].Author().EMail(), "");
                   EXPECT_EQ(o.rss->Items()[0].Author().URL(), "");
                   EXPECT_EQ(o.rss->Items()[1].Author().EMail(), "b@127.0.0.1");
                   EXPECT_EQ(o.rss->Items()[1].Author().URL(), "http://127.0.0.1/bob");
                 }},
        AtomCase{"RssNamesAccepted",
                 Atom("<language>ru</language><rating>r</rating>"
                      "<skipDays><day>Friday</day></skipDays><skipHours><h>23</h></skipHours>"
                      "<category>never a channel category</category>"
                      "<image><url>u</url><title>t</title><link>l</link><height>401</height></image>"
                      "<entry><title>t</title><comments>http://127.0.0.1/c</comments>"
                      "<enclosure url=\"u\" length=\"7\" type=\"video/mp4\"/>"
                      "<source url=\"http://127.0.0.1/s\">S</source>"
                      "<category domain=\"d\">c1</category><dc:category xmlns:dc=\"urn:dc\">c2</dc:category>"
                      "</entry>"),
                 "", "",
                 [](const ParseOutcome& o) {
                   const TRSSChannelOpt& opt = o.rss->Channel().Optional();
                   EXPECT_EQ(opt.Language(), langRU);
                   EXPECT_EQ(opt.Rating(), "r");
                   EXPECT_TRUE(opt.SkipDays().Day(sdFriday));
                   EXPECT_TRUE(opt.SkipHours().Hour(23));
                   EXPECT_EQ(opt.Categories().Count(), 0);
                   EXPECT_TRUE(opt.Image().Include());
                   EXPECT_EQ(opt.Image().Optional().Height(), 400);
                   const TRSSItem& item = o.rss->Items()[0];
                   EXPECT_EQ(item.Comments(), "http://127.0.0.1/c");
                   EXPECT_EQ(item.Enclosure().Length(), 7);
                   EXPECT_TRUE(item.Source().Include());
                   EXPECT_EQ(item.Source().Title(), "S");
                   ASSERT_EQ(item.Categories().Count(), 2);
                   EXPECT_EQ(item.Categories()[0].Domain(), "d");
                   EXPECT_EQ(item.Categories()[1].Title(), "c2");
                 }},
        AtomCase{"EntryWithoutTitleOrContent",
                 Atom("<entry><title>ok</title></entry><entry><summary>s</summary></entry>"
                      "<entry><title>never read</title></entry>"),
                 "feed", "Required Field Missing. Field: entry -> title",
                 [](const ParseOutcome& o) { EXPECT_EQ(o.rss->Items().Count(), 2); }},
        AtomCase{"XhtmlContentIsNoValue",
                 Atom("<entry><title>x</title><content mode=\"xml\"><div xmlns=\"http://www.w3.org/1999/xhtml\">"
                      "<p>a</p><p>b</p></div></content></entry>"),
                 "dom", "", nullptr},
        AtomCase{"EmptyContentIsNoValue", Atom("<entry><title>x</title><content/></entry>"), "conversion", "", nullptr},
        AtomCase{"EnclosureWithoutType", Atom("<entry><title>x</title><enclosure url=\"u\" length=\"1\"/></entry>"),
                 "feed", "Required Field Missing. Field: enclosure -> type", nullptr},
        AtomCase{"SourceWithoutUrl", Atom("<entry><title>x</title><source>s</source></entry>"), "feed",
                 "Required Field Missing. Field: source -> url", nullptr},
        AtomCase{"ImageWithoutUrl", Atom("<image><title>t</title></image>"), "feed",
                 "Required Field Missing. Field: image -> url", nullptr},
        AtomCase{"TextInputWithoutDescription", Atom("<textInput><title>t</title></textInput>"), "feed",
                 "Required Field Missing. Field: textInput -> description", nullptr},
        AtomCase{"TtlNotANumber", Atom("<ttl>1h</ttl>"), "conversion", "", nullptr},
        AtomCase{"ModifiedOutOfRange", Atom("<modified>2005-05-03T70000:00:00Z</modified>"), "range", "", nullptr},
        AtomCase{"BadHeaderFailsBeforeEntries", Atom("<entry><title>e</title></entry><generator/>"), "conversion", "",
                 [](const ParseOutcome& o) { EXPECT_EQ(o.rss->Items().Count(), 0); }}));

}  // namespace
}  // namespace quarlen
