#pragma once
// Chart thumbnails as the grid paints them: 86 x 60 RGB pictures decoded from PNG.
#include <cstddef>
#include <string_view>

#include "platform/RgbImage.h"

namespace quarlen {

// The blank thumbnail: 86 x 60, white.
RgbImage BlankThumbnail();

// Decodes PNG bytes into a thumbnail. The size is read from the header before
// anything is decoded: data that is not a PNG, is damaged, or is not exactly
// 86 x 60 gives the blank thumbnail. Transparency is flattened onto white.
RgbImage DecodeThumbnailPng(std::string_view data);

// Like DecodeThumbnailPng, but false (and `out` untouched) where that gives the blank one.
bool TryDecodeThumbnailPng(std::string_view data, RgbImage& out);

}  // namespace quarlen
