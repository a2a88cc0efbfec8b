#pragma once
// The charts file "kvt_charts_list.dat": an ordered list of equal-sized
// thumbnails in the down-level image-list stream layout of the common
// controls (a 28-byte "IL" header, then the images tiled four to a row in one
// BMP, optionally followed by a 1-bit mask BMP).
#include <cstdint>
#include <stdexcept>
#include <string>
#include <string_view>
#include <vector>

#include "platform/RgbImage.h"

namespace quarlen {

// The bytes are not an image-list stream this reader understands.
class ChartsFileError : public std::runtime_error {
 public:
  using std::runtime_error::runtime_error;
};

// Encodes images as a stream of cx x cy tiles: 24-bit colour, no mask,
// capacity the count rounded up to a multiple of 4 (at least 4). An image of
// another size is drawn onto a white tile from its top-left corner and cut.
std::string EncodeChartsFile(const std::vector<RgbImage>& images, int cx = ChartThumbnailWidth,
                             int cy = ChartThumbnailHeight);

// The images of a stream, each of the stream's own tile size. Reads 24- and
// 32-bit colour with or without a mask (masked pixels become white).
// Throws ChartsFileError for anything else.
std::vector<RgbImage> DecodeChartsFile(std::string_view bytes);

}  // namespace quarlen
