#include "fuzz/feedparser/FeedFuzzEntry.h"

#include "feedparser/SimpleRSS.h"
#include "feedparser/SimpleRSSUtils.h"

namespace quarlen {

namespace {

// Reads every value back through the getters, as feeddump and the article
// pipeline do, so faults in the read rules show up too.
class ModelWalker {
 public:
  bool AllUtf8() const { return allUtf8_; }

  void Walk(const TSimpleRSS& rss) {
    const TRSSChannel& channel = rss.Channel();
    Text(rss.Version());
    Text(channel.Required().Title());
    Text(channel.Required().Link());
    Text(channel.Required().Desc());
    const TRSSChannelOpt& opt = channel.Optional();
    Text(LanguageName(opt.Language()));
    Text(opt.XLang());
    Text(opt.Copyright());
    Text(opt.ManagingEditor());
    Text(opt.WebMaster());
    Date(opt.PubDate());
    Date(opt.LastBuildDate());
    for (int i = 0; i < opt.Categories().Count(); ++i) {
      Text(opt.Categories()[i].Category());
      Text(opt.Categories()[i].Domain());
    }
    Text(opt.Generator());
    Text(opt.Docs());
    Text(opt.Cloud().Domain());
    Text(opt.Cloud().Path());
    Text(opt.Cloud().RegisterProcedure());
    Text(opt.Cloud().Protocol());
    Text(opt.Image().Required().URL());
    Text(opt.Image().Required().Title());
    Text(opt.Image().Required().Link());
    Text(opt.Image().Optional().Description());
    Text(opt.Rating());
    Text(opt.TextInput().Title());
    Text(opt.TextInput().Description());
    Text(opt.TextInput().TextInputName());
    Text(opt.TextInput().Link());
    for (int h = 0; h < 24; ++h) sink_ += opt.SkipHours().Hour(h) ? 1 : 0;
    for (int d = sdMonday; d <= sdSunday; ++d) sink_ += opt.SkipDays().Day(static_cast<TSkipDay>(d)) ? 1 : 0;

    const TRSSItems& items = rss.Items();
    for (int i = 0; i < items.Count(); ++i) {
      const TRSSItem& item = items[i];
      Text(item.Title());
      Text(item.Ticker());
      Text(item.Link());
      Text(item.Description());
      Text(item.Author().Name());
      Text(item.Author().EMail());
      Text(item.Author().URL());
      for (int k = 0; k < item.Categories().Count(); ++k) {
        Text(item.Categories()[k].Title());
        Text(item.Categories()[k].Domain());
      }
      Text(item.Comments());
      Text(item.Enclosure().URL());
      Text(item.Enclosure().EnclosureType());
      Text(item.GUID().GUID());
      Date(item.PubDate());
      Text(item.Source().Title());
      Text(item.Source().URL());
      Text(ContentTypeName(item.ContentType()));
    }
    // The locale lookup is slow; one item shows DateText works on read dates.
    if (items.Count() > 0) Text(items[0].PubDate().DateText());
  }

 private:
  void Text(std::string_view text) {
    sink_ += text.size();
    if (!IsValidUtf8(text)) allUtf8_ = false;
  }
  void Date(const TRFC822DateTime& date) {
    Text(DateTimeIsoText(date.DateTime()));
    Text(date.TimeZone());
  }

  std::size_t sink_ = 0;
  bool allUtf8_ = true;
};

}  // namespace

TFeedRunResult FeedFuzzEntry(std::string_view bytes) {
  TFeedRunResult result;
  TSimpleRSS rss;
  try {
    rss.LoadFromString(std::string(bytes));
    rss.XMLFile().SetActive(true);
    rss.Parse();
    result.Parsed = true;
  } catch (const TSimpleRSSException& e) {
    result.Failure = e.what();
  } catch (const TXMLDocError& e) {
    result.Failure = e.what();
  } catch (const TValueConversionError& e) {
    result.Failure = e.what();
  } catch (const TDateRangeError& e) {
    result.Failure = e.what();
  }
  ModelWalker walker;
  walker.Walk(rss);
  result.ItemCount = rss.Items().Count();
  result.AllUtf8 = walker.AllUtf8();
  result.FailureUtf8 = IsValidUtf8(result.Failure);
  return result;
}

}  // namespace quarlen
