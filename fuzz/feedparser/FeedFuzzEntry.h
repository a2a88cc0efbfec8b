#pragma once

// The whole load-and-parse path on raw feed bytes, the way the refresh runs
// it (LoadFromString, activate the document, Parse), followed by a read of
// every value of the model. Shared by the libFuzzer target and the corpus
// replay test.

#include <string>
#include <string_view>

#include "feedparser/SimpleRSSUtils.h"  // IsValidUtf8

namespace quarlen {

struct TFeedRunResult {
  bool Parsed = false;      // Parse ended without a failure
  std::string Failure;      // the failure's message when it did not
  int ItemCount = 0;        // items in the model afterwards (also after a failure)
  bool AllUtf8 = true;      // every text of the model is valid UTF-8
  bool FailureUtf8 = true;  // the failure's message is valid UTF-8
};

// Library failures (TSimpleRSSException, TXMLDocError, TValueConversionError,
// TDateRangeError) end up in Failure; any other exception is a fault and
// propagates to the caller.
TFeedRunResult FeedFuzzEntry(std::string_view bytes);

}  // namespace quarlen
