#pragma once

// The feed document model: one channel with its nested parts and an ordered
// collection of items. Every value is a copy of text (UTF-8); nothing refers
// back to the XML document. Each object owns the parts it holds; a setter of
// an object-typed part replaces the part it held (and frees it, unless it
// was built in place with an item).

#include "feedparser/FeedError.h"
#include "feedparser/SimpleRSSConst.h"
#include "feedparser/SimpleRSSDates.h"

#include <array>
#include <memory>
#include <stdexcept>
#include <string>
#include <vector>

namespace quarlen {

// The feed library's error; carries only the message text.
class TSimpleRSSException : public TFeedError {
 public:
  using TFeedError::TFeedError;
};

enum TXMLType { xtRDF, xtRSS, xtAtom };
enum TContentType { ctText, ctHTML, ctXHTML };

std::string_view XMLTypeName(TXMLType type);          // "rdf", "rss", "atom"
std::string_view ContentTypeName(TContentType type);  // "ctText", ...

// Replaces an owned part; a null part is refused (std::invalid_argument), so
// every getter always has an object to give.
template <typename T>
void ReplacePart(std::unique_ptr<T>& slot, std::unique_ptr<T> value) {
  if (!value) throw std::invalid_argument("a feed model part cannot be null");
  slot = std::move(value);
}

// A part built in place with its owner, so that an item and its parts are one
// allocation (a feed has thousands of items); replaced like any other part,
// after which it gives the replacement, which it owns.
template <typename T>
class TInPlacePart {
 public:
  TInPlacePart() = default;
  TInPlacePart(const TInPlacePart&) = delete;
  TInPlacePart& operator=(const TInPlacePart&) = delete;

  T& operator*() { return *current_; }
  const T& operator*() const { return *current_; }
  void Replace(std::unique_ptr<T> value) {
    ReplacePart(replacement_, std::move(value));
    current_ = replacement_.get();
  }

 private:
  T own_;
  std::unique_ptr<T> replacement_;
  T* current_ = &own_;
};

// Gives the stored text unless it is blank (only characters up to U+0020 at
// both ends), then the placeholder.
std::string RequiredText(const std::string& stored, std::string_view placeholder);

// The three texts every RSS channel must have; blank ones read as placeholders.
class TRSSChannelReq {
 public:
  std::string Title() const { return RequiredText(title_, TitleRequired); }
  void SetTitle(std::string value) { title_ = std::move(value); }
  std::string Link() const { return RequiredText(link_, LinkRequired); }
  void SetLink(std::string value) { link_ = std::move(value); }
  std::string Desc() const { return RequiredText(desc_, DescriptionRequired); }
  void SetDesc(std::string value) { desc_ = std::move(value); }

 private:
  std::string title_, link_, desc_;
};

class TRSSChannelCategory {
 public:
  const std::string& Category() const { return category_; }
  void SetCategory(std::string value) { category_ = std::move(value); }
  const std::string& Domain() const { return domain_; }
  void SetDomain(std::string value) { domain_ = std::move(value); }

 private:
  std::string category_, domain_;
};

// An owning, ordered collection; Add appends a new default object.
template <typename T>
class TOwnedCollection {
 public:
  T& Add() {
    items_.push_back(std::make_unique<T>());
    return *items_.back();
  }
  int Count() const { return static_cast<int>(items_.size()); }
  // 0-based; throws std::out_of_range outside 0..Count-1.
  T& Items(int index) { return *items_.at(static_cast<std::size_t>(index)); }
  const T& Items(int index) const { return *items_.at(static_cast<std::size_t>(index)); }
  T& operator[](int index) { return Items(index); }
  const T& operator[](int index) const { return Items(index); }

 private:
  std::vector<std::unique_ptr<T>> items_;
};

using TRSSChannelCategories = TOwnedCollection<TRSSChannelCategory>;

class TRSSCloud {
 public:
  const std::string& Domain() const { return domain_; }
  void SetDomain(std::string value) { domain_ = std::move(value); }
  int Port() const { return port_; }
  void SetPort(int value) { port_ = value < 1 ? 1 : value; }  // floor 1
  const std::string& Path() const { return path_; }
  void SetPath(std::string value) { path_ = std::move(value); }
  const std::string& RegisterProcedure() const { return registerProcedure_; }
  void SetRegisterProcedure(std::string value) { registerProcedure_ = std::move(value); }
  const std::string& Protocol() const { return protocol_; }
  void SetProtocol(std::string value) { protocol_ = std::move(value); }
  bool Include() const { return include_; }
  void SetInclude(bool value) { include_ = value; }

 private:
  std::string domain_;
  int port_ = 0;
  std::string path_, registerProcedure_, protocol_;
  bool include_ = false;
};

class TRSSImageReq {
 public:
  std::string URL() const { return RequiredText(url_, URLRequired); }
  void SetURL(std::string value) { url_ = std::move(value); }
  std::string Title() const { return RequiredText(title_, TitleRequired); }
  void SetTitle(std::string value) { title_ = std::move(value); }
  std::string Link() const { return RequiredText(link_, LinkRequired); }
  void SetLink(std::string value) { link_ = std::move(value); }

 private:
  std::string url_, title_, link_;
};

class TRSSImageOpt {
 public:
  int Width() const { return width_; }
  void SetWidth(int value);  // clamped to 0..144
  int Height() const { return height_; }
  void SetHeight(int value);  // clamped to 0..400
  const std::string& Description() const { return description_; }
  void SetDescription(std::string value) { description_ = std::move(value); }

 private:
  int width_ = 0;
  int height_ = 0;
  std::string description_;
};

class TRSSImage {
 public:
  TRSSImage();
  bool Include() const { return include_; }
  void SetInclude(bool value) { include_ = value; }
  TRSSImageReq& Required() { return *required_; }
  const TRSSImageReq& Required() const { return *required_; }
  void SetRequired(std::unique_ptr<TRSSImageReq> value) { ReplacePart(required_, std::move(value)); }
  TRSSImageOpt& Optional() { return *optional_; }
  const TRSSImageOpt& Optional() const { return *optional_; }
  void SetOptional(std::unique_ptr<TRSSImageOpt> value) { ReplacePart(optional_, std::move(value)); }

 private:
  bool include_ = false;
  std::unique_ptr<TRSSImageReq> required_;
  std::unique_ptr<TRSSImageOpt> optional_;
};

class TRSSTextInput {
 public:
  const std::string& Title() const { return title_; }
  void SetTitle(std::string value) { title_ = std::move(value); }
  const std::string& Description() const { return description_; }
  void SetDescription(std::string value) { description_ = std::move(value); }
  const std::string& TextInputName() const { return name_; }
  void SetTextInputName(std::string value) { name_ = std::move(value); }
  const std::string& Link() const { return link_; }
  void SetLink(std::string value) { link_ = std::move(value); }
  bool Include() const { return include_; }
  void SetInclude(bool value) { include_ = value; }

 private:
  std::string title_, description_, name_, link_;
  bool include_ = false;
};

// Hours of the day (0..23) in which the channel asks not to be read. The
// published order of the flags is h01 ... h23, then h00.
class TRSSChannelSkipHours {
 public:
  // Throws std::out_of_range for an hour outside 0..23.
  bool Hour(int hour) const { return hours_.at(static_cast<std::size_t>(hour)); }
  void SetHour(int hour, bool value) { hours_.at(static_cast<std::size_t>(hour)) = value; }
  // "h00" ... "h23".
  static std::string FlagName(int hour);

 private:
  std::array<bool, 24> hours_{};
};

enum TSkipDay { sdMonday, sdTuesday, sdWednesday, sdThursday, sdFriday, sdSaturday, sdSunday };

class TRSSChannelSkipDays {
 public:
  bool Day(TSkipDay day) const { return days_.at(static_cast<std::size_t>(day)); }
  void SetDay(TSkipDay day, bool value) { days_.at(static_cast<std::size_t>(day)) = value; }
  // "Monday" ... "Sunday".
  static std::string_view FlagName(TSkipDay day) { return DayNames.at(static_cast<std::size_t>(day)); }

 private:
  std::array<bool, 7> days_{};
};

class TRSSChannelOpt {
 public:
  TRSSChannelOpt();

  TLanguages Language() const { return language_; }
  void SetLanguage(TLanguages value) { language_ = value; }
  const std::string& XLang() const { return xlang_; }
  void SetXLang(std::string value) { xlang_ = std::move(value); }
  const std::string& Copyright() const { return copyright_; }
  void SetCopyright(std::string value) { copyright_ = std::move(value); }
  const std::string& ManagingEditor() const { return managingEditor_; }
  void SetManagingEditor(std::string value) { managingEditor_ = std::move(value); }
  const std::string& WebMaster() const { return webMaster_; }
  void SetWebMaster(std::string value) { webMaster_ = std::move(value); }
  TRFC822DateTime& PubDate() { return *pubDate_; }
  const TRFC822DateTime& PubDate() const { return *pubDate_; }
  void SetPubDate(std::unique_ptr<TRFC822DateTime> value) { ReplacePart(pubDate_, std::move(value)); }
  TRFC822DateTime& LastBuildDate() { return *lastBuildDate_; }
  const TRFC822DateTime& LastBuildDate() const { return *lastBuildDate_; }
  void SetLastBuildDate(std::unique_ptr<TRFC822DateTime> value) { ReplacePart(lastBuildDate_, std::move(value)); }
  TRSSChannelCategories& Categories() { return *categories_; }
  const TRSSChannelCategories& Categories() const { return *categories_; }
  void SetCategories(std::unique_ptr<TRSSChannelCategories> value) { ReplacePart(categories_, std::move(value)); }
  const std::string& Generator() const { return generator_; }
  void SetGenerator(std::string value) { generator_ = std::move(value); }
  const std::string& Docs() const { return docs_; }
  void SetDocs(std::string value) { docs_ = std::move(value); }
  TRSSCloud& Cloud() { return *cloud_; }
  const TRSSCloud& Cloud() const { return *cloud_; }
  void SetCloud(std::unique_ptr<TRSSCloud> value) { ReplacePart(cloud_, std::move(value)); }
  int TTL() const { return ttl_; }
  void SetTTL(int value) { ttl_ = value <= 0 ? 0 : value; }  // floor 0
  TRSSImage& Image() { return *image_; }
  const TRSSImage& Image() const { return *image_; }
  void SetImage(std::unique_ptr<TRSSImage> value) { ReplacePart(image_, std::move(value)); }
  const std::string& Rating() const { return rating_; }
  void SetRating(std::string value) { rating_ = std::move(value); }
  TRSSTextInput& TextInput() { return *textInput_; }
  const TRSSTextInput& TextInput() const { return *textInput_; }
  void SetTextInput(std::unique_ptr<TRSSTextInput> value) { ReplacePart(textInput_, std::move(value)); }
  TRSSChannelSkipHours& SkipHours() { return *skipHours_; }
  const TRSSChannelSkipHours& SkipHours() const { return *skipHours_; }
  void SetSkipHours(std::unique_ptr<TRSSChannelSkipHours> value) { ReplacePart(skipHours_, std::move(value)); }
  TRSSChannelSkipDays& SkipDays() { return *skipDays_; }
  const TRSSChannelSkipDays& SkipDays() const { return *skipDays_; }
  void SetSkipDays(std::unique_ptr<TRSSChannelSkipDays> value) { ReplacePart(skipDays_, std::move(value)); }

 private:
  TLanguages language_ = langEN;
  std::string xlang_, copyright_, managingEditor_, webMaster_;
  std::unique_ptr<TRFC822DateTime> pubDate_;
  std::unique_ptr<TRFC822DateTime> lastBuildDate_;
  std::unique_ptr<TRSSChannelCategories> categories_;
  std::string generator_;
  std::string docs_;
  std::unique_ptr<TRSSCloud> cloud_;
  int ttl_ = 60;
  std::unique_ptr<TRSSImage> image_;
  std::string rating_;
  std::unique_ptr<TRSSTextInput> textInput_;
  std::unique_ptr<TRSSChannelSkipHours> skipHours_;
  std::unique_ptr<TRSSChannelSkipDays> skipDays_;
};

class TRSSChannel {
 public:
  TRSSChannel();
  TRSSChannelReq& Required() { return *required_; }
  const TRSSChannelReq& Required() const { return *required_; }
  void SetRequired(std::unique_ptr<TRSSChannelReq> value) { ReplacePart(required_, std::move(value)); }
  TRSSChannelOpt& Optional() { return *optional_; }
  const TRSSChannelOpt& Optional() const { return *optional_; }
  void SetOptional(std::unique_ptr<TRSSChannelOpt> value) { ReplacePart(optional_, std::move(value)); }

 private:
  std::unique_ptr<TRSSChannelReq> required_;
  std::unique_ptr<TRSSChannelOpt> optional_;
};

class TRSSAuthor {
 public:
  const std::string& Name() const { return name_; }
  void SetName(std::string value) { name_ = std::move(value); }
  const std::string& EMail() const { return email_; }
  void SetEMail(std::string value) { email_ = std::move(value); }
  const std::string& URL() const { return url_; }
  void SetURL(std::string value) { url_ = std::move(value); }

 private:
  std::string name_, email_, url_;
};

class TRSSItemCategory {
 public:
  const std::string& Title() const { return title_; }
  void SetTitle(std::string value) { title_ = std::move(value); }
  const std::string& Domain() const { return domain_; }
  void SetDomain(std::string value) { domain_ = std::move(value); }

 private:
  std::string title_, domain_;
};

using TRSSItemCategories = TOwnedCollection<TRSSItemCategory>;

class TRSSItemEnclosure {
 public:
  const std::string& URL() const { return url_; }
  void SetURL(std::string value) { url_ = std::move(value); }
  int Length() const { return length_; }
  void SetLength(int value) { length_ = value; }
  const std::string& EnclosureType() const { return type_; }
  void SetEnclosureType(std::string value) { type_ = std::move(value); }
  bool Include() const { return include_; }
  void SetInclude(bool value) { include_ = value; }

 private:
  std::string url_;
  int length_ = 0;
  std::string type_;
  bool include_ = false;
};

class TRSSItemGUID {
 public:
  const std::string& GUID() const { return guid_; }
  void SetGUID(std::string value) { guid_ = std::move(value); }
  bool IsPermaLink() const { return isPermaLink_; }
  void SetIsPermaLink(bool value) { isPermaLink_ = value; }
  bool Include() const { return include_; }
  void SetInclude(bool value) { include_ = value; }

 private:
  std::string guid_;
  bool isPermaLink_ = false;
  bool include_ = false;
};

class TRSSItemSource {
 public:
  const std::string& Title() const { return title_; }
  void SetTitle(std::string value) { title_ = std::move(value); }
  const std::string& URL() const { return url_; }
  void SetURL(std::string value) { url_ = std::move(value); }
  bool Include() const { return include_; }
  void SetInclude(bool value) { include_ = value; }

 private:
  std::string title_, url_;
  bool include_ = false;
};

class TRSSItem {
 public:
  TRSSItem() = default;

  const std::string& Title() const { return title_; }
  void SetTitle(std::string value) { title_ = std::move(value); }
  // The item's "ticker" extension element, as delivered (RSS reader only).
  const std::string& Ticker() const { return ticker_; }
  void SetTicker(std::string value) { ticker_ = std::move(value); }
  const std::string& Link() const { return link_; }
  void SetLink(std::string value) { link_ = std::move(value); }
  const std::string& Description() const { return description_; }
  void SetDescription(std::string value) { description_ = std::move(value); }
  TRSSAuthor& Author() { return *author_; }
  const TRSSAuthor& Author() const { return *author_; }
  void SetAuthor(std::unique_ptr<TRSSAuthor> value) { author_.Replace(std::move(value)); }
  TRSSItemCategories& Categories() { return *categories_; }
  const TRSSItemCategories& Categories() const { return *categories_; }
  void SetCategories(std::unique_ptr<TRSSItemCategories> value) { categories_.Replace(std::move(value)); }
  const std::string& Comments() const { return comments_; }
  void SetComments(std::string value) { comments_ = std::move(value); }
  TRSSItemEnclosure& Enclosure() { return *enclosure_; }
  const TRSSItemEnclosure& Enclosure() const { return *enclosure_; }
  void SetEnclosure(std::unique_ptr<TRSSItemEnclosure> value) { enclosure_.Replace(std::move(value)); }
  TRSSItemGUID& GUID() { return *guid_; }
  const TRSSItemGUID& GUID() const { return *guid_; }
  void SetGUID(std::unique_ptr<TRSSItemGUID> value) { guid_.Replace(std::move(value)); }
  // Created with the current local time and zone "GMT".
  TRFC822DateTime& PubDate() { return *pubDate_; }
  const TRFC822DateTime& PubDate() const { return *pubDate_; }
  void SetPubDate(std::unique_ptr<TRFC822DateTime> value) { pubDate_.Replace(std::move(value)); }
  TRSSItemSource& Source() { return *source_; }
  const TRSSItemSource& Source() const { return *source_; }
  void SetSource(std::unique_ptr<TRSSItemSource> value) { source_.Replace(std::move(value)); }
  TContentType ContentType() const { return contentType_; }
  void SetContentType(TContentType value) { contentType_ = value; }

 private:
  std::string title_, ticker_, link_, description_;
  TInPlacePart<TRSSAuthor> author_;
  TInPlacePart<TRSSItemCategories> categories_;
  std::string comments_;
  TInPlacePart<TRSSItemEnclosure> enclosure_;
  TInPlacePart<TRSSItemGUID> guid_;
  TInPlacePart<TRFC822DateTime> pubDate_;
  TInPlacePart<TRSSItemSource> source_;
  TContentType contentType_ = ctText;
};

// The items of a feed in document order.
using TRSSItems = TOwnedCollection<TRSSItem>;

}  // namespace quarlen
