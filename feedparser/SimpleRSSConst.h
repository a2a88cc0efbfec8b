#pragma once

// Fixed texts of the feed library: language codes, placeholders, messages and
// the element and attribute names the readers look for.

#include <array>
#include <string_view>

namespace quarlen {

// Languages a channel can declare; langX stands for any code not in
// LanguageCodes (the text is then kept in TRSSChannelOpt::XLang).
enum TLanguages {
  langAF,
  langSQ,
  langEU,
  langBE,
  langBG,
  langCA,
  langZH_CN,
  langZH_TW,
  langHR,
  langCS,
  langDA,
  langNL,
  langNL_BE,
  langNL_NL,
  langEN,
  langEN_AU,
  langEN_BZ,
  langEN_CA,
  langEN_IE,
  langEN_JM,
  langEN_NZ,
  langEN_PH,
  langEN_ZA,
  langEN_TT,
  langEN_GB,
  langEN_US,
  langEN_ZW,
  langET,
  langFO,
  langFI,
  langFR,
  langFR_BE,
  langFR_CA,
  langFR_FR,
  langFR_LU,
  langFR_MC,
  langFR_CH,
  langGL,
  langGD,
  langDE,
  langDE_AT,
  langDE_DE,
  langDE_LI,
  langDE_LU,
  langDE_CH,
  langEL,
  langHAW,
  langHU,
  langIS,
  langIN,
  langGA,
  langIT,
  langIT_IT,
  langIT_CH,
  langJA,
  langKO,
  langMK,
  langNO,
  langPL,
  langPT,
  langPT_BR,
  langPT_PT,
  langRO,
  langRO_MO,
  langRO_RP,
  langRU,
  langRU_MO,
  langRU_RU,
  langSR,
  langSK,
  langSL,
  langES,
  langES_AR,
  langES_BO,
  langES_CL,
  langES_CO,
  langES_CR,
  langES_DO,
  langES_EC,
  langES_SV,
  langES_GT,
  langES_HN,
  langES_MX,
  langES_NI,
  langES_PA,
  langES_PY,
  langES_PE,
  langES_PR,
  langES_ES,
  langES_UY,
  langES_VE,
  langSV,
  langSV_FI,
  langSV_SE,
  langTR,
  langUK,
  langX
};

inline constexpr int LanguageCount = langX + 1;  // 97

// The code text of each language from langAF to langUK, in enum order.
extern const std::array<std::string_view, LanguageCount - 1> LanguageCodes;

// The enum name of a language ("langEN_US").
std::string_view LanguageName(TLanguages language);

// Placeholders read back for blank required texts.
inline constexpr std::string_view TitleRequired = "Title Required";
inline constexpr std::string_view LinkRequired = "Link Required";
inline constexpr std::string_view DescriptionRequired = "Description Required";
inline constexpr std::string_view URLRequired = "URL Required";

// Default of TRSSChannelOpt::Docs: where RSS 2.0 is described.
inline constexpr std::string_view RSSSpecificationURL = "https://www.rssboard.org/rss-specification";

// Message parts: RequiredFieldMissing + "title", or + "item" + FieldSeparator + "title".
inline constexpr std::string_view RequiredFieldMissing = "Required Field Missing. Field: ";
inline constexpr std::string_view FieldSeparator = " -> ";
// The unknown-root message is UnknownFormat followed by ": " and the root's name.
inline constexpr std::string_view UnknownFormat = "unkown format";
inline constexpr std::string_view UnknownFormatSuffix = ": ";

// Root element names, compared with the lower-cased document element name.
inline constexpr std::string_view RootRDF = "rdf:rdf";
inline constexpr std::string_view RootRSS = "rss";
inline constexpr std::string_view RootAtom = "feed";

// Element and attribute names shared by the readers.
namespace feedname {
inline constexpr std::string_view Channel = "channel";
inline constexpr std::string_view Item = "item";
inline constexpr std::string_view Title = "title";
inline constexpr std::string_view Link = "link";
inline constexpr std::string_view Description = "description";
inline constexpr std::string_view Category = "category";
inline constexpr std::string_view Domain = "domain";
inline constexpr std::string_view Language = "language";
inline constexpr std::string_view Copyright = "copyright";
inline constexpr std::string_view ManagingEditor = "managingEditor";
inline constexpr std::string_view WebMaster = "webMaster";
inline constexpr std::string_view PubDate = "pubDate";
inline constexpr std::string_view LastBuildDate = "lastBuildDate";
inline constexpr std::string_view Generator = "generator";
inline constexpr std::string_view Docs = "docs";
inline constexpr std::string_view Cloud = "cloud";
inline constexpr std::string_view Port = "port";
inline constexpr std::string_view Path = "path";
inline constexpr std::string_view RegisterProcedure = "registerProcedure";
inline constexpr std::string_view Protocol = "protocol";
inline constexpr std::string_view TTL = "ttl";
inline constexpr std::string_view Image = "image";
inline constexpr std::string_view URL = "url";
inline constexpr std::string_view Width = "width";
inline constexpr std::string_view Height = "height";
inline constexpr std::string_view Rating = "rating";
inline constexpr std::string_view TextInput = "textInput";
inline constexpr std::string_view Name = "name";
inline constexpr std::string_view SkipHours = "skipHours";
inline constexpr std::string_view SkipDays = "skipDays";
inline constexpr std::string_view Ticker = "ticker";
inline constexpr std::string_view Content = "content";
inline constexpr std::string_view ContentEncoded = "content:encoded";
inline constexpr std::string_view Author = "author";
inline constexpr std::string_view Comments = "comments";
inline constexpr std::string_view DcDate = "dc:date";
inline constexpr std::string_view Enclosure = "enclosure";
inline constexpr std::string_view Length = "length";
inline constexpr std::string_view Type = "type";
inline constexpr std::string_view Guid = "guid";
inline constexpr std::string_view IsPermaLink = "isPermaLink";
inline constexpr std::string_view Source = "source";
inline constexpr std::string_view Version = "version";
}  // namespace feedname

// The texts ReadSkipHours and ReadSkipDays recognise.
inline constexpr std::array<std::string_view, 7> DayNames = {"Monday", "Tuesday",  "Wednesday", "Thursday",
                                                             "Friday", "Saturday", "Sunday"};

}  // namespace quarlen
