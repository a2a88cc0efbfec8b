#include "FeedDump.h"

#include <exception>

namespace quarlen {

namespace {

using Json = nlohmann::ordered_json;

Json DateToJson(const TRFC822DateTime& date) {
  return Json{{"dateTime", DateTimeIsoText(date.DateTime())}, {"timeZone", date.TimeZone()}};
}

Json ChannelToJson(const TRSSChannel& channel) {
  const TRSSChannelReq& required = channel.Required();
  const TRSSChannelOpt& optional = channel.Optional();
  Json result;
  result["title"] = required.Title();
  result["link"] = required.Link();
  result["desc"] = required.Desc();
  result["language"] = std::string(LanguageName(optional.Language()));
  result["xlang"] = optional.XLang();
  result["copyright"] = optional.Copyright();
  result["managingEditor"] = optional.ManagingEditor();
  result["webMaster"] = optional.WebMaster();
  result["pubDate"] = DateToJson(optional.PubDate());
  result["lastBuildDate"] = DateToJson(optional.LastBuildDate());
  Json categories = Json::array();
  for (int i = 0; i < optional.Categories().Count(); ++i) {
    const TRSSChannelCategory& category = optional.Categories()[i];
    categories.push_back(Json{{"category", category.Category()}, {"domain", category.Domain()}});
  }
  result["categories"] = std::move(categories);
  result["generator"] = optional.Generator();
  result["docs"] = optional.Docs();
  const TRSSCloud& cloud = optional.Cloud();
  result["cloud"] = Json{{"domain", cloud.Domain()},     {"port", cloud.Port()},
                         {"path", cloud.Path()},         {"registerProcedure", cloud.RegisterProcedure()},
                         {"protocol", cloud.Protocol()}, {"include", cloud.Include()}};
  result["ttl"] = optional.TTL();
  const TRSSImage& image = optional.Image();
  result["image"] = Json{{"include", image.Include()},
                         {"url", image.Required().URL()},
                         {"title", image.Required().Title()},
                         {"link", image.Required().Link()},
                         {"width", image.Optional().Width()},
                         {"height", image.Optional().Height()},
                         {"description", image.Optional().Description()}};
  result["rating"] = optional.Rating();
  const TRSSTextInput& input = optional.TextInput();
  result["textInput"] = Json{{"title", input.Title()},
                             {"description", input.Description()},
                             {"name", input.TextInputName()},
                             {"link", input.Link()},
                             {"include", input.Include()}};
  Json hours = Json::array();
  for (int hour = 0; hour < 24; ++hour) {
    if (optional.SkipHours().Hour(hour)) hours.push_back(TRSSChannelSkipHours::FlagName(hour));
  }
  result["skipHours"] = std::move(hours);
  Json days = Json::array();
  for (int day = sdMonday; day <= sdSunday; ++day) {
    const auto skipDay = static_cast<TSkipDay>(day);
    if (optional.SkipDays().Day(skipDay)) days.push_back(std::string(TRSSChannelSkipDays::FlagName(skipDay)));
  }
  result["skipDays"] = std::move(days);
  return result;
}

Json ItemToJson(const TRSSItem& item) {
  Json result;
  result["title"] = item.Title();
  result["ticker"] = item.Ticker();
  result["link"] = item.Link();
  result["description"] = item.Description();
  result["author"] =
      Json{{"name", item.Author().Name()}, {"email", item.Author().EMail()}, {"url", item.Author().URL()}};
  Json categories = Json::array();
  for (int i = 0; i < item.Categories().Count(); ++i) {
    const TRSSItemCategory& category = item.Categories()[i];
    categories.push_back(Json{{"title", category.Title()}, {"domain", category.Domain()}});
  }
  result["categories"] = std::move(categories);
  result["comments"] = item.Comments();
  const TRSSItemEnclosure& enclosure = item.Enclosure();
  result["enclosure"] = Json{{"url", enclosure.URL()},
                             {"length", enclosure.Length()},
                             {"type", enclosure.EnclosureType()},
                             {"include", enclosure.Include()}};
  const TRSSItemGUID& guid = item.GUID();
  result["guid"] = Json{{"guid", guid.GUID()}, {"isPermaLink", guid.IsPermaLink()}, {"include", guid.Include()}};
  result["pubDate"] = DateToJson(item.PubDate());
  result["dateText"] = item.PubDate().DateText();
  const TRSSItemSource& source = item.Source();
  result["source"] = Json{{"title", source.Title()}, {"url", source.URL()}, {"include", source.Include()}};
  result["contentType"] = std::string(ContentTypeName(item.ContentType()));
  return result;
}

}  // namespace

nlohmann::ordered_json FeedToJson(const TSimpleRSS& rss) {
  Json result;
  result["xmlType"] = std::string(XMLTypeName(rss.XMLType()));
  result["version"] = rss.Version();
  result["channel"] = ChannelToJson(rss.Channel());
  Json items = Json::array();
  for (int i = 0; i < rss.Items().Count(); ++i) items.push_back(ItemToJson(rss.Items()[i]));
  result["items"] = std::move(items);
  return result;
}

nlohmann::ordered_json DumpFeedText(std::string text, bool& failed) {
  TSimpleRSS rss;
  std::string error;
  failed = false;
  try {
    rss.LoadFromString(std::move(text));
    rss.XMLFile().SetActive(true);
    rss.Parse();
  } catch (const std::exception& e) {
    failed = true;
    error = e.what();
  }
  Json result = FeedToJson(rss);
  if (failed) result["error"] = error;
  return result;
}

}  // namespace quarlen
