#pragma once

// Runs a feed text through the whole load-and-parse path and keeps the
// outcome: the component (with what was read up to any failure) and the
// failure's kind and message.

#include "feedparser/SimpleRSS.h"
#include "feedparser/SimpleRSSUtils.h"

#include <memory>
#include <string>

namespace quarlen::test {

struct ParseOutcome {
  std::unique_ptr<TSimpleRSS> rss = std::make_unique<TSimpleRSS>();
  std::string failure;  // "", "feed", "dom", "conversion" or "range"
  std::string message;
  TDateTime before = 0;  // local time around the parse, for creation-time dates
  TDateTime after = 0;
};

inline ParseOutcome LoadAndParse(const std::string& xml) {
  ParseOutcome out;
  out.before = NowDateTime();
  try {
    out.rss->LoadFromString(xml);
    out.rss->XMLFile().SetActive(true);
    out.rss->Parse();
  } catch (const TSimpleRSSException& e) {
    out.failure = "feed";
    out.message = e.what();
  } catch (const TXMLDocError& e) {
    out.failure = "dom";
    out.message = e.what();
  } catch (const TValueConversionError& e) {
    out.failure = "conversion";
    out.message = e.what();
  } catch (const TDateRangeError& e) {
    out.failure = "range";
    out.message = e.what();
  }
  out.after = NowDateTime();
  return out;
}

}  // namespace quarlen::test
