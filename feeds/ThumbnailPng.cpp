#include "feeds/ThumbnailPng.h"

#include <png.h>

#include <cstring>
#include <utility>

namespace quarlen {

RgbImage BlankThumbnail() { return RgbImage(ChartThumbnailWidth, ChartThumbnailHeight); }

namespace {

// png_image keeps libpng's own read state until finish or free; this frees it
// on every way out, including the early return for a wrong size.
struct PngImageGuard {
  png_image image;
  PngImageGuard() {
    std::memset(&image, 0, sizeof image);
    image.version = PNG_IMAGE_VERSION;
  }
  ~PngImageGuard() { png_image_free(&image); }
  PngImageGuard(const PngImageGuard&) = delete;
  PngImageGuard& operator=(const PngImageGuard&) = delete;
};

}  // namespace

bool TryDecodeThumbnailPng(std::string_view data, RgbImage& out) {
  if (data.empty()) return false;
  PngImageGuard guard;
  png_image& image = guard.image;
  // Reads the signature and the header chunks only; no pixel data is touched
  // and nothing is allocated for it until the size has been checked.
  if (png_image_begin_read_from_memory(&image, data.data(), data.size()) == 0) return false;
  if (image.width != static_cast<png_uint_32>(ChartThumbnailWidth) ||
      image.height != static_cast<png_uint_32>(ChartThumbnailHeight)) {
    return false;
  }
  // 8-bit sRGB without alpha: libpng composites any alpha channel or tRNS
  // colour onto the background given below.
  image.format = PNG_FORMAT_RGB;
  // Without this libpng takes 16-bit samples as linear light and brightens
  // them; chart pictures are drawn in sRGB at any depth.
  image.flags |= PNG_IMAGE_FLAG_16BIT_sRGB;
  RgbImage decoded(ChartThumbnailWidth, ChartThumbnailHeight);
  const png_color white = {255, 255, 255};
  if (png_image_finish_read(&image, &white, decoded.pixels.data(), static_cast<png_int_32>(PNG_IMAGE_ROW_STRIDE(image)),
                            nullptr) == 0) {
    return false;
  }
  out = std::move(decoded);
  return true;
}

RgbImage DecodeThumbnailPng(std::string_view data) {
  RgbImage image;
  if (!TryDecodeThumbnailPng(data, image)) return BlankThumbnail();
  return image;
}

}  // namespace quarlen
