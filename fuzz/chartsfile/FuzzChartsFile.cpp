// Feeds arbitrary bytes to the charts-file reader. It either rejects them with
// ChartsFileError or gives images of one size that survive a write and a read.
// Run: fuzz_chartsfile fuzz/chartsfile/corpus
#include <cstdint>
#include <cstdlib>
#include <string_view>

#include "feeds/ChartsFile.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  std::vector<quarlen::RgbImage> images;
  try {
    images = quarlen::DecodeChartsFile(std::string_view(reinterpret_cast<const char*>(data), size));
  } catch (const quarlen::ChartsFileError&) {
    return 0;
  }
  if (images.empty()) return 0;
  const int cx = images.front().width;
  const int cy = images.front().height;
  for (const auto& img : images)
    if (img.width != cx || img.height != cy || img.pixels.size() != std::size_t(cx) * cy * 3) std::abort();
  if (quarlen::DecodeChartsFile(quarlen::EncodeChartsFile(images, cx, cy)) != images) std::abort();
  return 0;
}
