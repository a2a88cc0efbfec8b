// Any byte string given to the feed library ends in a model or a library
// failure with a message; the model then holds UTF-8 text only.
//   fuzz_feedparser -max_len=65536 fuzz/feedparser/corpus

#include "fuzz/feedparser/FeedFuzzEntry.h"

#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string_view>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  const quarlen::TFeedRunResult result =
      quarlen::FeedFuzzEntry(std::string_view(reinterpret_cast<const char*>(data), size));
  if (!result.AllUtf8) std::abort();
  if (!result.Parsed && result.Failure.empty()) std::abort();
  return 0;
}
