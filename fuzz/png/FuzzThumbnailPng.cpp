// Feeds arbitrary bytes to the thumbnail decoder. Whatever arrives, the result
// must be one 86 x 60 picture, and decoding must not read or write out of bounds.
// Run: fuzz_thumbnail_png fuzz/png/corpus
#include <cstdint>
#include <cstdlib>
#include <string_view>

#include "feeds/ThumbnailPng.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  const quarlen::RgbImage image =
      quarlen::DecodeThumbnailPng(std::string_view(reinterpret_cast<const char*>(data), size));
  if (image.width != quarlen::ChartThumbnailWidth || image.height != quarlen::ChartThumbnailHeight ||
      image.pixels.size() != std::size_t{quarlen::ChartThumbnailWidth * quarlen::ChartThumbnailHeight * 3}) {
    std::abort();
  }
  return 0;
}
