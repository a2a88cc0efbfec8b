#pragma once
// A plain 8-bit RGB picture, the one image type the Qt-free core passes around
// (chart thumbnails, the charts file). Rows run top-down, 3 bytes a pixel.
#include <cstdint>
#include <vector>

namespace quarlen {

// Every chart thumbnail, downloaded, stored or painted, is 86 x 60 pixels.
inline constexpr int ChartThumbnailWidth = 86;
inline constexpr int ChartThumbnailHeight = 60;

struct RgbImage {
  int width = 0;
  int height = 0;
  std::vector<std::uint8_t> pixels;  // width * height * 3 bytes, R G B

  RgbImage() = default;
  // An image of the given size filled with one colour (white by default).
  RgbImage(int w, int h, std::uint8_t r = 255, std::uint8_t g = 255, std::uint8_t b = 255)
      : width(w), height(h), pixels(static_cast<std::size_t>(w) * h * 3) {
    for (std::size_t i = 0; i < pixels.size(); i += 3) {
      pixels[i] = r;
      pixels[i + 1] = g;
      pixels[i + 2] = b;
    }
  }
  bool empty() const { return width <= 0 || height <= 0; }
  std::uint8_t* at(int x, int y) { return &pixels[(static_cast<std::size_t>(y) * width + x) * 3]; }
  const std::uint8_t* at(int x, int y) const { return &pixels[(static_cast<std::size_t>(y) * width + x) * 3]; }
  bool operator==(const RgbImage&) const = default;
};

}  // namespace quarlen
