#include "feeds/ChartsFile.h"

#include <gtest/gtest.h>

#include <cstring>

namespace quarlen {
namespace {

// A thumbnail whose every pixel tells which image and position it is.
RgbImage Pattern(int index, int w = ChartThumbnailWidth, int h = ChartThumbnailHeight) {
  RgbImage img(w, h);
  for (int y = 0; y < h; ++y)
    for (int x = 0; x < w; ++x) {
      auto* p = img.at(x, y);
      p[0] = static_cast<std::uint8_t>(x * 3 + index);
      p[1] = static_cast<std::uint8_t>(y * 4 + index * 7);
      p[2] = static_cast<std::uint8_t>(index * 40 + (x ^ y));
    }
  return img;
}

std::vector<RgbImage> Patterns(int count) {
  std::vector<RgbImage> images;
  for (int i = 0; i < count; ++i) images.push_back(Pattern(i));
  return images;
}

unsigned U16(const std::string& b, std::size_t at) {
  return static_cast<unsigned char>(b[at]) | static_cast<unsigned char>(b[at + 1]) << 8;
}
std::uint32_t U32(const std::string& b, std::size_t at) { return U16(b, at) | U16(b, at + 2) << 16; }

TEST(ChartsFile, RoundTripKeepsEveryPixelInOrder) {
  for (int count : {0, 1, 3, 4, 5, 9, 50}) {
    SCOPED_TRACE(count);
    const auto images = Patterns(count);
    const auto back = DecodeChartsFile(EncodeChartsFile(images));
    ASSERT_EQ(back.size(), images.size());
    for (int i = 0; i < count; ++i) EXPECT_TRUE(back[i] == images[i]) << "image " << i;
  }
}

TEST(ChartsFile, WritesTheImageListHeaderAndTiledBitmap) {
  struct Case {
    int count;
    unsigned capacity;
  };
  for (const Case c : {Case{0, 4}, Case{1, 4}, Case{4, 4}, Case{5, 8}, Case{9, 12}}) {
    SCOPED_TRACE(c.count);
    const std::string b = EncodeChartsFile(Patterns(c.count));
    EXPECT_EQ(b.substr(0, 2), "IL");
    EXPECT_EQ(U16(b, 2), 0x0101u);
    EXPECT_EQ(U16(b, 4), static_cast<unsigned>(c.count));
    EXPECT_EQ(U16(b, 6), c.capacity);
    EXPECT_EQ(U16(b, 8), 4u);
    EXPECT_EQ(U16(b, 10), 86u);
    EXPECT_EQ(U16(b, 12), 60u);
    EXPECT_EQ(U32(b, 14), 0xFFFFFFFFu);
    EXPECT_EQ(U16(b, 18), 0x0018u);
    for (int i = 0; i < 4; ++i) EXPECT_EQ(U16(b, 20 + 2 * i), 0xFFFFu);
    EXPECT_EQ(b.substr(28, 2), "BM");
    EXPECT_EQ(U32(b, 28 + 14 + 4), 344u);                  // width: four tiles
    EXPECT_EQ(U32(b, 28 + 14 + 8), 60u * c.capacity / 4);  // height: rows of tiles
    EXPECT_EQ(U16(b, 28 + 14 + 14), 24u);
    EXPECT_EQ(b.size(), 28u + 14 + 40 + 344u * 3 * 60 * c.capacity / 4);
  }
}

TEST(ChartsFile, ImageFivePlacedAtColumnOneOfTheSecondTileRow) {
  const auto images = Patterns(6);
  const std::string b = EncodeChartsFile(images);
  const std::size_t pixels = 28 + 14 + 40;
  const int height = 120;
  // Top-left pixel of image 5: tile column 1, tile row 1; rows are stored bottom-up.
  const std::size_t at = pixels + static_cast<std::size_t>(height - 1 - 60) * 344 * 3 + 86 * 3;
  const auto* p = images[5].at(0, 0);
  EXPECT_EQ(static_cast<unsigned char>(b[at]), p[2]);
  EXPECT_EQ(static_cast<unsigned char>(b[at + 1]), p[1]);
  EXPECT_EQ(static_cast<unsigned char>(b[at + 2]), p[0]);
}

TEST(ChartsFile, ImageOfAnotherSizeIsCutOrPaddedWithWhite) {
  const auto back = DecodeChartsFile(EncodeChartsFile({Pattern(1, 100, 10)}));
  ASSERT_EQ(back.size(), 1u);
  EXPECT_EQ(back[0].width, 86);
  EXPECT_TRUE(std::memcmp(back[0].at(85, 9), Pattern(1, 100, 10).at(85, 9), 3) == 0);
  const std::uint8_t white[3] = {255, 255, 255};
  EXPECT_TRUE(std::memcmp(back[0].at(0, 10), white, 3) == 0);
}

// Streams as other writers lay them out.
struct Layout {
  const char* name;
  int bits = 24;
  bool mask = false;
  bool fileSize54 = false;
  int extraCapacity = 0;
  bool topDown = false;
  int tilesPerRow = 4;
  bool bitfields = false;
};

void Put16(std::string& o, unsigned v) {
  o.push_back(static_cast<char>(v & 0xFF));
  o.push_back(static_cast<char>((v >> 8) & 0xFF));
}
void Put32(std::string& o, std::uint32_t v) {
  Put16(o, v & 0xFFFF);
  Put16(o, v >> 16);
}

std::string BitmapHeader(int width, int height, int bits, std::uint32_t compression, std::uint32_t dataSize,
                         bool fileSize54, int colours) {
  std::string o = "BM";
  const int infoExtra = compression == 3 ? 12 : 0;
  Put32(o, fileSize54 ? 54 : 14 + 40 + infoExtra + colours * 4 + dataSize);
  Put32(o, 0);
  Put32(o, 14 + 40 + infoExtra + colours * 4);
  Put32(o, 40);
  Put32(o, static_cast<std::uint32_t>(width));
  Put32(o, static_cast<std::uint32_t>(height));
  Put16(o, 1);
  Put16(o, bits);
  Put32(o, compression);
  Put32(o, dataSize);
  Put32(o, 0);
  Put32(o, 0);
  Put32(o, 0);
  Put32(o, 0);
  if (compression == 3) {
    Put32(o, 0x00FF0000);
    Put32(o, 0x0000FF00);
    Put32(o, 0x000000FF);
  }
  return o;
}

// Encodes images in the given layout; the pixel at (0, 0) of each image is
// marked transparent in the mask, when there is one.
std::string Encode(const std::vector<RgbImage>& images, const Layout& l) {
  const int count = static_cast<int>(images.size());
  const int capacity = std::max(4, (count + 3) / 4 * 4) + l.extraCapacity;
  const int width = 86 * l.tilesPerRow;
  const int rows = (capacity + l.tilesPerRow - 1) / l.tilesPerRow;
  const int height = 60 * rows;
  std::string o = "IL";
  Put16(o, 0x0101);
  Put16(o, count);
  Put16(o, capacity);
  Put16(o, 4);
  Put16(o, 86);
  Put16(o, 60);
  Put32(o, 0xFFFFFFFF);
  Put16(o, (l.bits == 32 ? 0x20 : 0x18) | (l.mask ? 1 : 0));
  for (int i = 0; i < 4; ++i) Put16(o, 0xFFFF);

  const int bpp = l.bits / 8;
  const int stride = (width * bpp + 3) / 4 * 4;
  std::string pix(static_cast<std::size_t>(stride) * height, '\0');
  for (int i = 0; i < count; ++i)
    for (int y = 0; y < 60; ++y)
      for (int x = 0; x < 86; ++x) {
        const int gy = (i / l.tilesPerRow) * 60 + y;
        const int row = l.topDown ? gy : height - 1 - gy;
        const int gx = (i % l.tilesPerRow) * 86 + x;
        char* q = &pix[static_cast<std::size_t>(row) * stride + gx * bpp];
        const auto* p = images[i].at(x, y);
        q[0] = static_cast<char>(p[2]);
        q[1] = static_cast<char>(p[1]);
        q[2] = static_cast<char>(p[0]);
      }
  o += BitmapHeader(width, l.topDown ? -height : height, l.bits, l.bitfields ? 3 : 0,
                    static_cast<std::uint32_t>(pix.size()), l.fileSize54, 0);
  o += pix;
  if (l.mask) {
    const int mstride = (width + 31) / 32 * 4;
    std::string m(static_cast<std::size_t>(mstride) * height, '\0');
    for (int i = 0; i < count; ++i) {
      const int gy = (i / l.tilesPerRow) * 60;
      const int row = l.topDown ? gy : height - 1 - gy;
      const int gx = (i % l.tilesPerRow) * 86;
      m[static_cast<std::size_t>(row) * mstride + gx / 8] |= static_cast<char>(0x80 >> (gx % 8));
    }
    o += BitmapHeader(width, l.topDown ? -height : height, 1, 0, static_cast<std::uint32_t>(m.size()), l.fileSize54, 2);
    o += std::string("\0\0\0\0\xFF\xFF\xFF\0", 8);
    o += m;
  }
  return o;
}

class ChartsFileLayoutTest : public ::testing::TestWithParam<Layout> {};

TEST_P(ChartsFileLayoutTest, ReadsTheImagesOfOtherWriters) {
  const auto images = Patterns(6);
  const auto back = DecodeChartsFile(Encode(images, GetParam()));
  ASSERT_EQ(back.size(), images.size());
  for (std::size_t i = 0; i < images.size(); ++i) {
    RgbImage expected = images[i];
    if (GetParam().mask) std::memset(expected.at(0, 0), 255, 3);
    EXPECT_TRUE(back[i] == expected) << "image " << i;
  }
}

INSTANTIATE_TEST_SUITE_P(TolerantReader, ChartsFileLayoutTest,
                         ::testing::Values(Layout{"Plain24"}, Layout{"ThirtyTwoBits", 32},
                                           Layout{"ThirtyTwoBitsBitfields", 32, false, false, 0, false, 4, true},
                                           Layout{"WithMask", 24, true}, Layout{"ThirtyTwoBitsWithMask", 32, true},
                                           Layout{"FileSizeFieldSaysFiftyFour", 24, false, true},
                                           Layout{"LargerCapacity", 24, false, false, 9},
                                           Layout{"TopDownRows", 24, false, false, 0, true},
                                           Layout{"OneLongRow", 24, false, false, 0, false, 8}),
                         [](const auto& info) { return std::string(info.param.name); });

TEST(ChartsFile, AlphaIsFlattenedOntoWhite) {
  std::string b = Encode({RgbImage(86, 60, 0, 0, 0)}, Layout{"", 32});
  // Half-transparent black everywhere in image 0.
  const std::size_t pixels = 28 + 14 + 40;
  for (int y = 0; y < 60; ++y)
    for (int x = 0; x < 86; ++x) b[pixels + (y * 344 + x) * 4 + 3] = static_cast<char>(128);
  const auto back = DecodeChartsFile(b);
  ASSERT_EQ(back.size(), 1u);
  EXPECT_NEAR(back[0].at(10, 10)[0], 127, 1);
}

TEST(ChartsFile, DamagedStreamsAreRejected) {
  const std::string good = EncodeChartsFile(Patterns(3));
  auto with = [&](std::size_t at, std::string bytes) {
    std::string b = good;
    b.replace(at, bytes.size(), bytes);
    return b;
  };
  const struct {
    const char* name;
    std::string bytes;
  } cases[] = {
      {"Empty", ""},
      {"HeaderCut", good.substr(0, 27)},
      {"OnlyHeader", good.substr(0, 28)},
      {"BitmapHeaderCut", good.substr(0, 28 + 30)},
      {"PixelsCut", good.substr(0, good.size() - 1)},
      {"WrongMagic", with(0, "XX")},
      {"WrongVersion", with(2, std::string("\x00\x06", 2))},
      {"CountAboveCapacity", with(4, std::string("\x05\x00", 2))},
      {"ZeroWidth", with(10, std::string("\x00\x00", 2))},
      {"NoBitmap", with(28, "XX")},
      {"SixteenBits", with(28 + 14 + 14, std::string("\x10\x00", 2))},
      {"Compressed", with(28 + 14 + 16, std::string("\x01\x00", 2))},
      {"WidthNoMultipleOfTile", with(28 + 14 + 4, std::string("\x57\x01", 2))},
      {"MaskFlagWithoutMask", with(18, std::string("\x19\x00", 2))},
      {"CountFiveInOneTileRow", with(4, std::string("\x05\x00", 2)).replace(6, 2, std::string("\x08\x00", 2))},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    EXPECT_THROW(DecodeChartsFile(c.bytes), ChartsFileError);
  }
}

}  // namespace
}  // namespace quarlen
