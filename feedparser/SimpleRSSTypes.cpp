#include "feedparser/SimpleRSSTypes.h"

#include <cstdio>

namespace quarlen {

std::string_view XMLTypeName(TXMLType type) {
  switch (type) {
    case xtRDF:
      return "rdf";
    case xtRSS:
      return "rss";
    case xtAtom:
      return "atom";
  }
  return "rdf";
}

std::string_view ContentTypeName(TContentType type) {
  switch (type) {
    case ctText:
      return "ctText";
    case ctHTML:
      return "ctHTML";
    case ctXHTML:
      return "ctXHTML";
  }
  return "ctText";
}

std::string RequiredText(const std::string& stored, std::string_view placeholder) {
  // Blank means nothing but spaces and control characters, the way the
  // publisher's tools trim; the text itself is given back untrimmed.
  for (char c : stored) {
    if (static_cast<unsigned char>(c) > ' ') return stored;
  }
  return std::string(placeholder);
}

void TRSSImageOpt::SetWidth(int value) { width_ = value < 0 ? 0 : (value > 144 ? 144 : value); }

void TRSSImageOpt::SetHeight(int value) { height_ = value < 0 ? 0 : (value > 400 ? 400 : value); }

TRSSImage::TRSSImage() : required_(std::make_unique<TRSSImageReq>()), optional_(std::make_unique<TRSSImageOpt>()) {}

std::string TRSSChannelSkipHours::FlagName(int hour) {
  char name[8];
  std::snprintf(name, sizeof name, "h%02d", hour);
  return name;
}

TRSSChannelOpt::TRSSChannelOpt()
    : pubDate_(std::make_unique<TRFC822DateTime>()),
      lastBuildDate_(std::make_unique<TRFC822DateTime>()),
      categories_(std::make_unique<TRSSChannelCategories>()),
      docs_(RSSSpecificationURL),
      cloud_(std::make_unique<TRSSCloud>()),
      image_(std::make_unique<TRSSImage>()),
      textInput_(std::make_unique<TRSSTextInput>()),
      skipHours_(std::make_unique<TRSSChannelSkipHours>()),
      skipDays_(std::make_unique<TRSSChannelSkipDays>()) {}

TRSSChannel::TRSSChannel()
    : required_(std::make_unique<TRSSChannelReq>()), optional_(std::make_unique<TRSSChannelOpt>()) {}

}  // namespace quarlen
