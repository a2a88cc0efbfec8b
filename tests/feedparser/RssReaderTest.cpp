#include "RssTestSupport.h"

#include <gtest/gtest.h>

#include <functional>
#include <string>

namespace quarlen {
namespace {

using test::LoadAndParse;
using test::ParseFailure;
using test::RssWith;

std::string DateOf(const TRFC822DateTime& date) { return DateTimeIsoText(date.DateTime()) + " " + date.TimeZone(); }

struct ItemCase {
  const char* name;
  const char* item;  // the children of one item element
  std::function<std::string(const TRSSItem&)> read;
  std::string expected;
};

TEST(RssReader, ItemElementRules) {
  auto title = [](const TRSSItem& i) { return i.Title(); };
  auto description = [](const TRSSItem& i) { return i.Description(); };
  auto ticker = [](const TRSSItem& i) { return i.Ticker(); };
  auto guid = [](const TRSSItem& i) {
    return i.GUID().GUID() + (i.GUID().IsPermaLink() ? " perma" : " plain") + (i.GUID().Include() ? " in" : " out");
  };
  auto date = [](const TRSSItem& i) { return DateOf(i.PubDate()); };
  const ItemCase cases[] = {
      {"only description", "<description>d</description>", title, ""},
      {"only title", "<title>t</title>", description, ""},
      {"first of two titles", "<title>1</title><title>2</title>", title, "1"},
      {"prefixed title first", "<dc:title xmlns:dc='urn:dc'>dc</dc:title><title>t</title>", title, "dc"},
      {"ticker unchanged", "<title>t</title><ticker>http://c/?s=%41%%20&amp;x</ticker>", ticker,
       "http://c/?s=%41%%20&x"},
      {"no ticker", "<title>t</title>", ticker, ""},
      {"CDATA description", "<description><![CDATA[<p>a &amp; b</p>]]></description>", description, "<p>a &amp; b</p>"},
      {"mixed description", "<description>Hello <b>x</b> world</description>", description, "Hello "},
      {"description over content:encoded",
       "<title>t</title><content:encoded xmlns:content='urn:c'>e</content:encoded><description>d</description>",
       description, "d"},
      {"content:encoded alone", "<title>t</title><content:encoded xmlns:content='urn:c'>e</content:encoded>",
       description, "e"},
      {"content:encoded over content",
       "<title>t</title><content:encoded xmlns:content='urn:c'>e</content:encoded><content>c</content>", description,
       "e"},
      {"content alone", "<title>t</title><content><![CDATA[c]]></content>", description, "c"},
      {"author", "<title>t</title><author>a@b.c (A)</author>",
       [](const TRSSItem& i) { return i.Author().Name() + "|" + i.Author().EMail() + "|" + i.Author().URL(); },
       "a@b.c (A)||"},
      {"comments", "<title>t</title><comments>http://c/</comments>", [](const TRSSItem& i) { return i.Comments(); },
       "http://c/"},
      {"guid without isPermaLink", "<title>t</title><guid>g</guid>", guid, "g perma in"},
      {"guid isPermaLink false", "<title>t</title><guid isPermaLink='false'>g</guid>", guid, "g plain in"},
      {"guid isPermaLink TRUE", "<title>t</title><guid isPermaLink='TRUE'>g</guid>", guid, "g plain in"},
      {"guid isPermaLink true", "<title>t</title><guid isPermaLink='true'>g</guid>", guid, "g perma in"},
      {"pubDate", "<title>t</title><pubDate>Sun, 06 Nov 1994 08:49:37 +0200</pubDate>", date,
       "1994-11-06T08:49:37 GMT"},
      {"unreadable pubDate", "<title>t</title><pubDate>yesterday</pubDate>", date, "1899-12-30T00:00:00 GMT"},
      {"dc:date", "<title>t</title><dc:date xmlns:dc='urn:dc'>2005-05-03T18:14:20+02:00</dc:date>", date,
       "2005-05-03T18:14:20 +02:00"},
      {"pubDate over dc:date, zone of dc:date",
       "<title>t</title><pubDate>Sun, 06 Nov 1994 08:49:37 GMT</pubDate>"
       "<dc:date xmlns:dc='urn:dc'>2005-05-03T18:14:20Z</dc:date>",
       date, "1994-11-06T08:49:37 Z"},
      {"enclosure", "<title>t</title><enclosure url='http://e/a.mp3' length='12345' type='audio/mpeg'/>",
       [](const TRSSItem& i) {
         const auto& e = i.Enclosure();
         return e.URL() + " " + std::to_string(e.Length()) + " " + e.EnclosureType() + (e.Include() ? " in" : " out");
       },
       "http://e/a.mp3 12345 audio/mpeg in"},
      {"source", "<title>t</title><source url='http://s/'>S</source>",
       [](const TRSSItem& i) {
         return i.Source().Title() + " " + i.Source().URL() + (i.Source().Include() ? " in" : "");
       },
       "S http://s/ in"},
      {"categories by local name",
       "<title>t</title><category domain='d1'>a</category><x:category xmlns:x='urn:x'>b</x:category>"
       "<Category>c</Category><category>d</category>",
       [](const TRSSItem& i) {
         std::string all;
         for (int k = 0; k < i.Categories().Count(); ++k)
           all += i.Categories()[k].Title() + "/" + i.Categories()[k].Domain() + ";";
         return all;
       },
       "a/d1;b/;d/;"},
  };
  for (const ItemCase& c : cases) {
    SCOPED_TRACE(c.name);
    TSimpleRSS rss;
    const std::string failure = ParseFailure(rss, RssWith(std::string("<item>") + c.item + "</item>"));
    ASSERT_EQ(failure, "");
    ASSERT_EQ(rss.Items().Count(), 1);
    EXPECT_EQ(c.read(rss.Items()[0]), c.expected);
    EXPECT_EQ(rss.Items()[0].ContentType(), ctText);
  }
}

struct ChannelCase {
  const char* name;
  const char* body;  // channel children after title, link and description
  std::function<std::string(const TSimpleRSS&)> read;
  std::string expected;
};

TEST(RssReader, ChannelElementRules) {
  auto opt = [](const TSimpleRSS& r) -> const TRSSChannelOpt& { return r.Channel().Optional(); };
  auto language = [opt](const TSimpleRSS& r) {
    return std::string(LanguageName(opt(r).Language())) + " [" + opt(r).XLang() + "]";
  };
  const ChannelCase cases[] = {
      {"language en-us", "<language>en-us</language><item><title>i</title></item>", language, "langEN_US []"},
      {"language x-klingon", "<language>x-klingon</language><item><title>i</title></item>", language,
       "langX [x-klingon]"},
      {"ttl below zero", "<ttl>-5</ttl><item><title>i</title></item>",
       [opt](const TSimpleRSS& r) { return std::to_string(opt(r).TTL()); }, "0"},
      {"image clamped",
       "<image><url>u</url><title>t</title><link>l</link><width>300</width><height>-2</height>"
       "<description>d</description></image><item><title>i</title></item>",
       [opt](const TSimpleRSS& r) {
         const TRSSImage& im = opt(r).Image();
         return im.Required().URL() + im.Required().Title() + im.Required().Link() + " " +
                std::to_string(im.Optional().Width()) + "x" + std::to_string(im.Optional().Height()) + " " +
                im.Optional().Description() + (im.Include() ? " in" : "");
       },
       "utl 144x0 d in"},
      {"cloud",
       "<cloud domain='rpc.example' port='0' path='/RPC2' registerProcedure='p' protocol='xml-rpc'/>"
       "<item><title>i</title></item>",
       [opt](const TSimpleRSS& r) {
         const TRSSCloud& c = opt(r).Cloud();
         return c.Domain() + ":" + std::to_string(c.Port()) + c.Path() + " " + c.RegisterProcedure() + " " +
                c.Protocol() + (c.Include() ? " in" : "");
       },
       "rpc.example:1/RPC2 p xml-rpc in"},
      {"cloud without attributes", "<cloud/><item><title>i</title></item>",
       [opt](const TSimpleRSS& r) { return std::string(opt(r).Cloud().Include() ? "in" : "out"); }, "out"},
      {"textInput",
       "<textInput><title>t</title><description>d</description><name>n</name><link>l</link></textInput>"
       "<item><title>i</title></item>",
       [opt](const TSimpleRSS& r) {
         const TRSSTextInput& t = opt(r).TextInput();
         return t.Title() + t.Description() + t.TextInputName() + t.Link() + (t.Include() ? " in" : "");
       },
       "tdnl in"},
      {"last of two titles", "<title>second</title><item><title>i</title></item>",
       [](const TSimpleRSS& r) { return r.Channel().Required().Title(); }, "second"},
      {"dates",
       "<pubDate>Tue, 3 May 05 18:14 +0200</pubDate><lastBuildDate>06-Nov-94 08:49:37 GMT</lastBuildDate>"
       "<item><title>i</title></item>",
       [opt](const TSimpleRSS& r) { return DateOf(opt(r).PubDate()) + " / " + DateOf(opt(r).LastBuildDate()); },
       "2005-05-03T18:14:00 GMT / 1994-11-06T08:49:37 GMT"},
      {"plain texts",
       "<copyright>c</copyright><managingEditor>m</managingEditor><webMaster>w</webMaster>"
       "<generator>g</generator><docs>d</docs><rating>r</rating><item><title>i</title></item>",
       [opt](const TSimpleRSS& r) {
         return opt(r).Copyright() + opt(r).ManagingEditor() + opt(r).WebMaster() + opt(r).Generator() + opt(r).Docs() +
                opt(r).Rating();
       },
       "cmwgdr"},
      {"categories alone keep the channel read", "<category domain='x'>a</category><category>b</category>",
       [opt](const TSimpleRSS& r) {
         std::string all = r.Channel().Required().Title() + ":";
         for (int k = 0; k < opt(r).Categories().Count(); ++k)
           all += opt(r).Categories()[k].Category() + "/" + opt(r).Categories()[k].Domain() + ";";
         return all;
       },
       "T:a/x;b/;"},
      {"skip hours and days",
       "<skipHours><hour>0</hour><hour>12</hour><hour>24</hour></skipHours>"
       "<skipDays><day>Monday</day><day>monday</day><day>Sunday</day></skipDays><item><title>i</title></item>",
       [opt](const TSimpleRSS& r) {
         std::string all;
         for (int h = 0; h < 24; ++h)
           if (opt(r).SkipHours().Hour(h)) all += TRSSChannelSkipHours::FlagName(h) + " ";
         for (int d = sdMonday; d <= sdSunday; ++d)
           if (opt(r).SkipDays().Day(static_cast<TSkipDay>(d)))
             all += std::string(TRSSChannelSkipDays::FlagName(static_cast<TSkipDay>(d))) + " ";
         return all;
       },
       "h00 h12 Monday Sunday "},
      {"no item and no category: nothing is read", "<language>de</language><ttl>5</ttl>",
       [opt](const TSimpleRSS& r) {
         return r.Channel().Required().Title() + " " + std::string(LanguageName(opt(r).Language())) + " " +
                std::to_string(opt(r).TTL()) + " " + std::to_string(r.Items().Count());
       },
       "Title Required langEN 60 0"},
      {"unknown elements are passed over", "<foo><bar/></foo><!-- x --><Title>no</Title><item><title>i</title></item>",
       [](const TSimpleRSS& r) { return r.Channel().Required().Title(); }, "T"},
  };
  for (const ChannelCase& c : cases) {
    SCOPED_TRACE(c.name);
    TSimpleRSS rss;
    ASSERT_EQ(ParseFailure(rss, RssWith(c.body)), "");
    EXPECT_EQ(c.read(rss), c.expected);
  }
}

TEST(RssReader, ItemsComeInDocumentOrder) {
  TSimpleRSS rss;
  LoadAndParse(rss, RssWith("<item><title>1</title></item><category>c</category><item><title>2</title></item>"));
  ASSERT_EQ(rss.Items().Count(), 2);
  EXPECT_EQ(rss.Items()[0].Title(), "1");
  EXPECT_EQ(rss.Items()[1].Title(), "2");
  EXPECT_EQ(rss.XMLType(), xtRSS);
}

struct FailureCase {
  std::string document;
  std::string message;  // exact, or a part of it when partial
  bool partial;
  int items;  // items left in the model
};

TEST(RssReader, FailuresAndTheirMessages) {
  const std::string noTitle = "<rss><channel><link>l</link><description>d</description></channel></rss>";
  auto item = [](const std::string& body) { return RssWith("<item><title>i</title>" + body + "</item>"); };
  const FailureCase cases[] = {
      {"<rss/>", "Required Field Missing. Field: title", false, 0},
      {noTitle, "Required Field Missing. Field: title", false, 0},
      {"<rss><channel><title>t</title><description>d</description></channel></rss>",
       "Required Field Missing. Field: link", false, 0},
      {"<rss><channel><title>t</title><link>l</link></channel></rss>", "Required Field Missing. Field: description",
       false, 0},
      // Two missing at once: the first in the order of checks is named.
      {"<rss><channel><title>t</title></channel></rss>", "Required Field Missing. Field: link", false, 0},
      {item("<enclosure type='t'/>"), "Required Field Missing. Field: enclosure -> url", false, 1},
      {item("<enclosure url='u'/>"), "Required Field Missing. Field: enclosure -> length", false, 1},
      {RssWith("<image><link>l</link></image><item><title>i</title></item>"),
       "Required Field Missing. Field: image -> url", false, 0},
      {RssWith("<image><url>u</url></image><item><title>i</title></item>"),
       "Required Field Missing. Field: image -> title", false, 0},
      {RssWith("<item><link>l</link></item>"), "Required Field Missing. Field: item -> title", false, 1},
      {RssWith("<item><Title>l</Title></item>"), "Required Field Missing. Field: item -> title", false, 1},
      {item("<enclosure length='1' type='t'/>"), "Required Field Missing. Field: enclosure -> url", false, 1},
      {item("<enclosure url='u' type='t'/>"), "Required Field Missing. Field: enclosure -> length", false, 1},
      {item("<enclosure url='u' length='1'/>"), "Required Field Missing. Field: enclosure -> type", false, 1},
      {item("<source>s</source>"), "Required Field Missing. Field: source -> url", false, 1},
      {RssWith("<image><title>t</title><link>l</link></image><item><title>i</title></item>"),
       "Required Field Missing. Field: image -> url", false, 0},
      {RssWith("<image><url>u</url><link>l</link></image><item><title>i</title></item>"),
       "Required Field Missing. Field: image -> title", false, 0},
      {RssWith("<image><url>u</url><title>t</title></image><item><title>i</title></item>"),
       "Required Field Missing. Field: image -> link", false, 0},
      {RssWith("<item><title>i</title></item><textInput><description>d</description><name>n</name>"
               "<link>l</link></textInput>"),
       "Required Field Missing. Field: textInput -> title", false, 1},
      {RssWith("<textInput><title>t</title><name>n</name><link>l</link></textInput><item><title>i</title></item>"),
       "Required Field Missing. Field: textInput -> description", false, 0},
      {RssWith("<textInput><title>t</title><description>d</description><link>l</link></textInput>"
               "<item><title>i</title></item>"),
       "Required Field Missing. Field: textInput -> name", false, 0},
      {RssWith("<textInput><title>t</title><description>d</description><name>n</name></textInput>"
               "<item><title>i</title></item>"),
       "Required Field Missing. Field: textInput -> link", false, 0},
      {item("<comments/>"), "Element \"comments\" has no value", false, 1},
      {RssWith("<item><title>a <b>b</b></title></item>"), "Element does not contain a single text node", false, 1},
      {RssWith("<item><title>i</title><description><p><b>x</b></p></description></item>"),
       "Element does not contain a single text node", false, 1},
      {RssWith("<ttl>abc</ttl><item><title>i</title></item>"), "'abc' is not a valid integer value for \"ttl\"", false,
       0},
      {RssWith("<ttl>99999999999</ttl><item><title>i</title></item>"), "not a valid integer value", true, 0},
      {RssWith("<image><url>u</url><title>t</title><link>l</link><width>wide</width></image><category>c</category>"),
       "'wide' is not a valid integer value for \"width\"", false, 0},
      {item("<enclosure url='u' length='big' type='t'/>"), "'big' is not a valid integer value for \"length\"", false,
       1},
      {RssWith("<cloud domain='d' port='80' path='/p' protocol='soap'/><item><title>i</title></item>"),
       "Attribute \"registerProcedure\" has no value", false, 0},
      {RssWith("<cloud domain='d' port='x'/><item><title>i</title></item>"), "'x' is not a valid integer value", true,
       0},
      {item("<dc:date xmlns:dc='urn:dc'>-1-05-03</dc:date>"), "", true, 1},
  };
  for (const FailureCase& c : cases) {
    SCOPED_TRACE(c.document);
    TSimpleRSS rss;
    const std::string failure = ParseFailure(rss, c.document);
    ASSERT_FALSE(failure.empty());
    if (c.partial) {
      EXPECT_NE(failure.find(c.message), std::string::npos) << failure;
    } else {
      EXPECT_EQ(failure, c.message);
    }
    EXPECT_EQ(rss.Items().Count(), c.items);
  }
}

TEST(RssReader, DateFieldOutOfRangeIsARangeError) {
  TSimpleRSS rss;
  rss.LoadFromString(RssWith("<item><title>i</title><dc:date xmlns:dc='urn:dc'>-1-05-03</dc:date></item>"));
  rss.XMLFile().SetActive(true);
  EXPECT_THROW(rss.Parse(), TDateRangeError);
}

TEST(RssReader, Windows1251FeedComesOutAsUtf8) {
  const std::string bytes = test::ReadTestFile("data/win1251.xml");
  ASSERT_NE(bytes.find('\xcd'), std::string::npos);  // the file really is single-byte Cyrillic
  TSimpleRSS rss;
  LoadAndParse(rss, bytes);
  EXPECT_EQ(rss.Channel().Required().Title(), "Новости рынка");
  EXPECT_EQ(rss.Channel().Required().Desc(), "Лента для трейдеров");
  EXPECT_EQ(rss.Channel().Optional().Language(), langRU);
  ASSERT_EQ(rss.Items().Count(), 2);
  const TRSSItem& first = rss.Items()[0];
  EXPECT_EQ(first.Title(), "Газпром повысил прогноз добычи");
  EXPECT_EQ(first.Ticker(), "http://127.0.0.1:8421/chart.php?s=GAZP&p=%D0%93");
  EXPECT_EQ(first.Description(), "Котировки выросли на <b>3%</b>");
  EXPECT_EQ(first.Author().Name(), "Иван Петров");
  EXPECT_EQ(DateTimeIsoText(first.PubDate().DateTime()), "2005-05-03T18:14:20");
  EXPECT_EQ(rss.Items()[1].Title(), "Сбербанк: «итоги» квартала — №1");
  EXPECT_EQ(rss.Items()[1].Description(), "Прибыль ёмко описана");
}

}  // namespace
}  // namespace quarlen
