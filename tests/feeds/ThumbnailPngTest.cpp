#include "feeds/ThumbnailPng.h"

#include <gtest/gtest.h>
#include <zlib.h>

#include <array>
#include <functional>

#include "tests/feeds/TestPng.h"

namespace quarlen {
namespace {

using testpng::PngSpec;
using testpng::WritePng;
using Rows = std::vector<std::vector<png_byte>>;

std::array<int, 3> Pixel(const RgbImage& image, int x, int y) {
  const std::uint8_t* p = image.at(x, y);
  return {p[0], p[1], p[2]};
}

// Builds rows for a spec from a per-pixel function giving the raw samples.
Rows MakeRows(const PngSpec& spec, const std::function<std::vector<int>(int, int)>& samples) {
  Rows rows(spec.height);
  for (int y = 0; y < spec.height; ++y) {
    if (spec.bitDepth < 8) {
      // One sample per pixel, packed most significant bits first.
      std::vector<png_byte> row((spec.width * spec.bitDepth + 7) / 8, 0);
      for (int x = 0; x < spec.width; ++x) {
        const int bit = x * spec.bitDepth;
        row[bit / 8] |= static_cast<png_byte>(samples(x, y)[0] << (8 - spec.bitDepth - bit % 8));
      }
      rows[y] = row;
      continue;
    }
    for (int x = 0; x < spec.width; ++x) {
      for (int s : samples(x, y)) {
        if (spec.bitDepth == 16) rows[y].push_back(static_cast<png_byte>(s >> 8));
        rows[y].push_back(static_cast<png_byte>(s & 0xFF));
      }
    }
  }
  return rows;
}

struct DecodeCase {
  const char* name;
  PngSpec spec;
  std::function<std::vector<int>(int, int)> samples;
  // The expected colour of the decoded pixel at (x, y).
  std::function<std::array<int, 3>(int, int)> expected;
};

PngSpec Spec(int colorType, int bitDepth, bool interlaced = false) {
  PngSpec spec;
  spec.colorType = colorType;
  spec.bitDepth = bitDepth;
  spec.interlaced = interlaced;
  return spec;
}

std::vector<DecodeCase> DecodeCases() {
  std::vector<DecodeCase> cases;
  auto gradient = [](int x, int y) { return std::vector<int>{x * 2, y * 4, (x + y) % 256}; };
  auto gradientRgb = [](int x, int y) { return std::array<int, 3>{x * 2, y * 4, (x + y) % 256}; };
  cases.push_back({"rgb8", Spec(PNG_COLOR_TYPE_RGB, 8), gradient, gradientRgb});
  cases.push_back({"rgb8_interlaced", Spec(PNG_COLOR_TYPE_RGB, 8, true), gradient, gradientRgb});
  cases.push_back({"rgb16_read_as_srgb", Spec(PNG_COLOR_TYPE_RGB, 16),
                   [](int x, int y) {
                     return std::vector<int>{x * 2 * 257, y * 4 * 257, 0x8080};
                   },
                   [](int x, int y) {
                     return std::array<int, 3>{x * 2, y * 4, 128};
                   }});
  cases.push_back({"gray8", Spec(PNG_COLOR_TYPE_GRAY, 8), [](int x, int) { return std::vector<int>{x * 3}; },
                   [](int x, int) {
                     return std::array<int, 3>{x * 3, x * 3, x * 3};
                   }});
  cases.push_back({"gray1", Spec(PNG_COLOR_TYPE_GRAY, 1), [](int x, int) { return std::vector<int>{x % 2}; },
                   [](int x, int) {
                     int v = x % 2 ? 255 : 0;
                     return std::array<int, 3>{v, v, v};
                   }});
  // Opaque, transparent and half-covered columns over a red picture.
  cases.push_back({"rgba8_flattened_onto_white", Spec(PNG_COLOR_TYPE_RGBA, 8),
                   [](int x, int) {
                     return std::vector<int>{200, 0, 0, x < 30 ? 255 : x < 60 ? 0 : 128};
                   },
                   [](int x, int) {
                     if (x < 30) return std::array<int, 3>{200, 0, 0};
                     if (x < 60) return std::array<int, 3>{255, 255, 255};
                     return std::array<int, 3>{-1, -1, -1};  // checked separately below
                   }});
  cases.push_back({"gray_alpha8_transparent", Spec(PNG_COLOR_TYPE_GRAY_ALPHA, 8),
                   [](int x, int) {
                     return std::vector<int>{10, x < 43 ? 0 : 255};
                   },
                   [](int x, int) {
                     return x < 43 ? std::array<int, 3>{255, 255, 255} : std::array<int, 3>{10, 10, 10};
                   }});
  PngSpec palette = Spec(PNG_COLOR_TYPE_PALETTE, 4);
  palette.palette = {{0, 0, 0}, {0, 128, 255}, {255, 0, 0}};
  palette.paletteAlpha = {0};  // entry 0 is transparent
  cases.push_back({"palette4_with_transparent_entry", palette, [](int x, int) { return std::vector<int>{x % 3}; },
                   [](int x, int) {
                     switch (x % 3) {
                       case 0:
                         return std::array<int, 3>{255, 255, 255};
                       case 1:
                         return std::array<int, 3>{0, 128, 255};
                       default:
                         return std::array<int, 3>{255, 0, 0};
                     }
                   }});
  PngSpec grayKey = Spec(PNG_COLOR_TYPE_GRAY, 8);
  grayKey.grayTransparent = true;
  cases.push_back({"gray8_colour_key", grayKey, [](int x, int) { return std::vector<int>{x % 2 ? 0 : 50}; },
                   [](int x, int) {
                     return x % 2 ? std::array<int, 3>{255, 255, 255} : std::array<int, 3>{50, 50, 50};
                   }});
  return cases;
}

TEST(ThumbnailPngTest, DecodesEveryColourTypeAtFullSize) {
  for (const DecodeCase& c : DecodeCases()) {
    SCOPED_TRACE(c.name);
    const std::string png = WritePng(c.spec, MakeRows(c.spec, c.samples));
    RgbImage image;
    ASSERT_TRUE(TryDecodeThumbnailPng(png, image));
    ASSERT_EQ(image.width, ChartThumbnailWidth);
    ASSERT_EQ(image.height, ChartThumbnailHeight);
    ASSERT_EQ(image.pixels.size(), std::size_t{ChartThumbnailWidth * ChartThumbnailHeight * 3});
    for (int y = 0; y < ChartThumbnailHeight; y += 7) {
      for (int x = 0; x < ChartThumbnailWidth; ++x) {
        const auto want = c.expected(x, y);
        if (want[0] < 0) continue;
        ASSERT_EQ(Pixel(image, x, y), want) << "at " << x << "," << y;
      }
    }
  }
}

TEST(ThumbnailPngTest, HalfTransparentPixelLiesBetweenColourAndWhite) {
  PngSpec spec = Spec(PNG_COLOR_TYPE_RGBA, 8);
  const std::string png = WritePng(spec, MakeRows(spec, [](int, int) { return std::vector<int>{200, 0, 0, 128}; }));
  const auto p = Pixel(DecodeThumbnailPng(png), 10, 10);
  EXPECT_GT(p[0], 200);
  EXPECT_LT(p[0], 256);
  EXPECT_GT(p[1], 0);
  EXPECT_LT(p[1], 255);
  EXPECT_EQ(p[1], p[2]);
}

// A PNG made only of a signature and an IHDR chunk with a correct checksum.
std::string HeaderOnlyPng(std::uint32_t width, std::uint32_t height) {
  std::string chunk = "IHDR";
  for (std::uint32_t v : {width, height})
    for (int shift = 24; shift >= 0; shift -= 8) chunk += static_cast<char>((v >> shift) & 0xFF);
  chunk += std::string("\x08\x02\x00\x00\x00", 5);
  const uLong crc = crc32(0, reinterpret_cast<const Bytef*>(chunk.data()), chunk.size());
  std::string png("\x89PNG\r\n\x1a\n", 8);
  png += std::string("\x00\x00\x00\x0d", 4) + chunk;
  for (int shift = 24; shift >= 0; shift -= 8) png += static_cast<char>((crc >> shift) & 0xFF);
  return png;
}

TEST(ThumbnailPngTest, AnythingButAGood86By60PngGivesTheBlankThumbnail) {
  const std::string good = testpng::SolidRgbPng(86, 60, 10, 20, 30);
  std::string badCrc = good;
  badCrc[badCrc.size() / 2] ^= 0x55;  // inside the image data
  struct Case {
    const char* name;
    std::string data;
  };
  const std::vector<Case> cases = {
      {"87x60", testpng::SolidRgbPng(87, 60, 10, 20, 30)},
      {"86x59", testpng::SolidRgbPng(86, 59, 10, 20, 30)},
      {"60x86", testpng::SolidRgbPng(60, 86, 10, 20, 30)},
      {"1x1", testpng::SolidRgbPng(1, 1, 10, 20, 30)},
      {"empty", ""},
      {"html page", "<html><body>404 Not Found</body></html>"},
      {"gif", std::string("GIF89a\x56\x00\x3c\x00", 10)},
      {"signature only", std::string("\x89PNG\r\n\x1a\n", 8)},
      {"truncated in the image data", good.substr(0, good.size() / 2)},
      {"damaged image data", badCrc},
      {"header without image data", HeaderOnlyPng(86, 60)},
      {"huge header", HeaderOnlyPng(0x7FFFFFFF, 0x7FFFFFFF)},
  };
  const RgbImage blank = BlankThumbnail();
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    RgbImage untouched(3, 3, 1, 2, 3);
    EXPECT_FALSE(TryDecodeThumbnailPng(c.data, untouched));
    EXPECT_EQ(untouched, RgbImage(3, 3, 1, 2, 3));
    EXPECT_EQ(DecodeThumbnailPng(c.data), blank);
  }
  EXPECT_EQ(Pixel(DecodeThumbnailPng(good), 85, 59), (std::array<int, 3>{10, 20, 30}));
}

TEST(ThumbnailPngTest, BlankThumbnailIsWhite86By60) {
  const RgbImage blank = BlankThumbnail();
  ASSERT_EQ(blank.width, 86);
  ASSERT_EQ(blank.height, 60);
  for (std::uint8_t v : blank.pixels) ASSERT_EQ(v, 255);
}

}  // namespace
}  // namespace quarlen
