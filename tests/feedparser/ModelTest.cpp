#include "feedparser/SimpleRSSTypes.h"
#include "feedparser/SimpleRSSUtils.h"

#include <gtest/gtest.h>

#include <cctype>
#include <functional>
#include <string>
#include <utility>

namespace quarlen {
namespace {

struct RequiredCase {
  std::string stored;
  bool blank;
};

TEST(FeedModel, BlankRequiredTextsReadAsPlaceholders) {
  const RequiredCase cases[] = {
      {"", true}, {"   ", true}, {"\t\r\n \x01", true}, {" word ", false}, {"x", false}, {"Привет", false},
  };
  for (const RequiredCase& c : cases) {
    SCOPED_TRACE("[" + c.stored + "]");
    TRSSChannelReq channel;
    channel.SetTitle(c.stored);
    channel.SetLink(c.stored);
    channel.SetDesc(c.stored);
    TRSSImageReq image;
    image.SetURL(c.stored);
    image.SetTitle(c.stored);
    image.SetLink(c.stored);
    EXPECT_EQ(channel.Title(), c.blank ? "Title Required" : c.stored);
    EXPECT_EQ(channel.Link(), c.blank ? "Link Required" : c.stored);
    EXPECT_EQ(channel.Desc(), c.blank ? "Description Required" : c.stored);
    EXPECT_EQ(image.URL(), c.blank ? "URL Required" : c.stored);
    EXPECT_EQ(image.Title(), c.blank ? "Title Required" : c.stored);
    EXPECT_EQ(image.Link(), c.blank ? "Link Required" : c.stored);
  }
  EXPECT_EQ(TRSSChannelReq().Title(), "Title Required");
}

struct SetterCase {
  const char* property;
  std::function<int(int)> setAndRead;
  int written;
  int read;
};

TEST(FeedModel, NumericSettersClampTheirValues) {
  TRSSImageOpt image;
  TRSSChannelOpt channel;
  TRSSCloud cloud;
  auto width = [&](int v) {
    image.SetWidth(v);
    return image.Width();
  };
  auto height = [&](int v) {
    image.SetHeight(v);
    return image.Height();
  };
  auto ttl = [&](int v) {
    channel.SetTTL(v);
    return channel.TTL();
  };
  auto port = [&](int v) {
    cloud.SetPort(v);
    return cloud.Port();
  };
  const SetterCase cases[] = {
      {"Width", width, 200, 144}, {"Width", width, 144, 144},   {"Width", width, 88, 88},
      {"Width", width, -5, 0},    {"Height", height, 401, 400}, {"Height", height, 400, 400},
      {"Height", height, -1, 0},  {"Height", height, 31, 31},   {"TTL", ttl, -1, 0},
      {"TTL", ttl, 0, 0},         {"TTL", ttl, 1, 1},           {"TTL", ttl, 1440, 1440},
      {"Port", port, 0, 1},       {"Port", port, -80, 1},       {"Port", port, 5229, 5229},
  };
  for (const SetterCase& c : cases) {
    SCOPED_TRACE(std::string(c.property) + " " + std::to_string(c.written));
    EXPECT_EQ(c.setAndRead(c.written), c.read);
  }
}

TEST(FeedModel, ConstructorValues) {
  const TRSSChannel channel;
  const TRSSChannelOpt& opt = channel.Optional();
  EXPECT_EQ(opt.Language(), langEN);
  EXPECT_EQ(opt.TTL(), 60);
  EXPECT_EQ(opt.Docs(), "https://www.rssboard.org/rss-specification");
  EXPECT_EQ(opt.Cloud().Port(), 0);
  EXPECT_FALSE(opt.Cloud().Include());
  EXPECT_FALSE(opt.Image().Include());
  EXPECT_EQ(opt.Image().Optional().Width(), 0);
  EXPECT_FALSE(opt.TextInput().Include());
  EXPECT_EQ(opt.Categories().Count(), 0);
  for (int hour = 0; hour < 24; ++hour) EXPECT_FALSE(opt.SkipHours().Hour(hour));
  for (int day = sdMonday; day <= sdSunday; ++day) EXPECT_FALSE(opt.SkipDays().Day(static_cast<TSkipDay>(day)));

  const TDateTime before = NowDateTime();
  const TRSSItem item;
  const TDateTime after = NowDateTime();
  EXPECT_GE(item.PubDate().DateTime(), before - 1.0 / 86400);
  EXPECT_LE(item.PubDate().DateTime(), after + 1.0 / 86400);
  EXPECT_EQ(item.PubDate().TimeZone(), "GMT");
  EXPECT_EQ(item.ContentType(), ctText);
  EXPECT_FALSE(item.GUID().IsPermaLink());
  EXPECT_FALSE(item.GUID().Include());
  EXPECT_FALSE(item.Enclosure().Include());
  EXPECT_FALSE(item.Source().Include());
  EXPECT_EQ(item.Enclosure().Length(), 0);
  EXPECT_TRUE(item.Ticker().empty());
}

TEST(FeedModel, CollectionsKeepOrderAndOwnTheirItems) {
  TRSSItems items;
  TRSSItem& first = items.Add();
  first.SetTitle("one");
  items.Add().SetTitle("two");
  for (int i = 0; i < 100; ++i) items.Add();
  EXPECT_EQ(&items[0], &first);  // growth never moves an item
  EXPECT_EQ(items.Count(), 102);
  EXPECT_EQ(items.Items(1).Title(), "two");
  EXPECT_THROW(items.Items(102), std::out_of_range);
  EXPECT_THROW(items.Items(-1), std::out_of_range);

  TRSSChannel channel;
  auto replacement = std::make_unique<TRSSChannelOpt>();
  TRSSChannelOpt* raw = replacement.get();
  channel.SetOptional(std::move(replacement));
  EXPECT_EQ(&channel.Optional(), raw);
  EXPECT_THROW(channel.SetOptional(nullptr), std::invalid_argument);
}

// An item's parts are built in place with it, yet replaced like any other.
TEST(FeedModel, ItemPartsAreReplacedByWhatIsGiven) {
  TRSSItem item;
  item.Author().SetName("before");
  TRSSAuthor& builtIn = item.Author();
  auto author = std::make_unique<TRSSAuthor>();
  author->SetName("given");
  const TRSSAuthor* given = author.get();
  item.SetAuthor(std::move(author));
  EXPECT_EQ(&item.Author(), given);
  EXPECT_EQ(item.Author().Name(), "given");
  EXPECT_EQ(builtIn.Name(), "before");  // still alive, no longer read

  item.SetAuthor(std::make_unique<TRSSAuthor>());  // a second replacement frees the first
  EXPECT_EQ(item.Author().Name(), "");
  EXPECT_THROW(item.SetGUID(nullptr), std::invalid_argument);
  item.GUID().SetGUID("kept");
  EXPECT_EQ(item.GUID().GUID(), "kept");
  auto date = std::make_unique<TRFC822DateTime>();
  date->SetTimeZone("+0400");
  item.SetPubDate(std::move(date));
  EXPECT_EQ(std::as_const(item).PubDate().TimeZone(), "+0400");
}

TEST(FeedModel, LanguageTable) {
  EXPECT_EQ(LanguageCount, 97);
  EXPECT_EQ(LanguageCodes.size(), 96u);
  // Every code follows from its value's name: no prefix, lower case, "-".
  for (int i = 0; i < LanguageCount - 1; ++i) {
    std::string expected(LanguageName(static_cast<TLanguages>(i)).substr(4));
    for (char& c : expected) c = c == '_' ? '-' : static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
    EXPECT_EQ(LanguageCodes[static_cast<std::size_t>(i)], expected);
  }
  EXPECT_EQ(LanguageName(langAF), "langAF");
  EXPECT_EQ(LanguageName(langEN_US), "langEN_US");
  EXPECT_EQ(LanguageName(langUK), "langUK");
  EXPECT_EQ(LanguageName(langX), "langX");
  EXPECT_EQ(static_cast<int>(langHAW), 46);
  EXPECT_EQ(static_cast<int>(langUK), 95);
}

struct CodeCase {
  const char* code;
  TLanguages language;
};

TEST(FeedModel, LanguageFromCode) {
  const CodeCase cases[] = {
      {"en-us", langEN_US}, {"EN-US", langX}, {"en_us", langX}, {"zh-cn", langZH_CN},
      {"af", langAF},       {"uk", langUK},   {"haw", langHAW}, {"ro-rp", langRO_RP},
      {"ru", langRU},       {"", langX},      {" en", langX},   {"x-klingon", langX},
  };
  for (const CodeCase& c : cases) {
    SCOPED_TRACE(c.code);
    EXPECT_EQ(LanguageFromCode(c.code), c.language);
  }
}

}  // namespace
}  // namespace quarlen
