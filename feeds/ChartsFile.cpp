#include "feeds/ChartsFile.h"

#include <algorithm>

namespace quarlen {
namespace {

constexpr std::uint16_t ImageListMagic = 0x4C49;  // "IL"
constexpr std::uint16_t ImageListVersion = 0x0101;
constexpr std::uint16_t FlagMask = 0x0001;
constexpr std::uint16_t FlagColor24 = 0x0018;
constexpr int HeaderSize = 28;
constexpr int FileHeaderSize = 14;
constexpr int InfoHeaderSize = 40;
constexpr int TilesPerRow = 4;
constexpr std::uint32_t BiRgb = 0;
constexpr std::uint32_t BiBitfields = 3;

void Put16(std::string& out, std::uint16_t v) {
  out.push_back(static_cast<char>(v & 0xFF));
  out.push_back(static_cast<char>(v >> 8));
}
void Put32(std::string& out, std::uint32_t v) {
  for (int i = 0; i < 4; ++i) out.push_back(static_cast<char>((v >> (8 * i)) & 0xFF));
}

std::size_t RowBytes(std::int64_t width, int bits) { return static_cast<std::size_t>(((width * bits + 31) / 32) * 4); }

// Reads little-endian fields from a byte range, failing past its end.
class Reader {
 public:
  explicit Reader(std::string_view b) : b_(b) {}
  std::size_t Pos() const { return pos_; }
  std::size_t Left() const { return b_.size() - pos_; }
  void Need(std::size_t n) const {
    if (Left() < n) throw ChartsFileError("the charts file ends too early");
  }
  std::uint16_t U16() {
    Need(2);
    const auto v = static_cast<std::uint16_t>(Byte(0) | (Byte(1) << 8));
    pos_ += 2;
    return v;
  }
  std::uint32_t U32() {
    Need(4);
    const std::uint32_t v = Byte(0) | (Byte(1) << 8) | (Byte(2) << 16) | (static_cast<std::uint32_t>(Byte(3)) << 24);
    pos_ += 4;
    return v;
  }
  std::int32_t I32() { return static_cast<std::int32_t>(U32()); }
  void Skip(std::size_t n) {
    Need(n);
    pos_ += n;
  }
  const unsigned char* Here() const { return reinterpret_cast<const unsigned char*>(b_.data()) + pos_; }

 private:
  std::uint32_t Byte(std::size_t i) const { return static_cast<unsigned char>(b_[pos_ + i]); }
  std::string_view b_;
  std::size_t pos_ = 0;
};

struct Bitmap {
  std::int64_t width = 0;
  std::int64_t height = 0;  // rows, always positive
  bool bottomUp = true;
  int bits = 0;
  const unsigned char* pixels = nullptr;
  std::size_t stride = 0;

  const unsigned char* Row(std::int64_t y) const {
    const std::int64_t stored = bottomUp ? height - 1 - y : y;
    return pixels + static_cast<std::size_t>(stored) * stride;
  }
};

// One BMP file as the image-list stream holds it. Like the reference reader,
// the pixels are taken to follow the headers directly: neither the file size
// nor the pixel offset of the file header is trusted.
Bitmap ReadBitmap(Reader& r, bool mask) {
  r.Need(FileHeaderSize);
  if (r.Here()[0] != 'B' || r.Here()[1] != 'M') throw ChartsFileError("no bitmap in the charts file");
  r.Skip(FileHeaderSize);
  const std::uint32_t infoSize = r.U32();
  if (infoSize < InfoHeaderSize || infoSize > 1024) throw ChartsFileError("unknown bitmap header");
  Bitmap bm;
  bm.width = r.I32();
  const std::int32_t height = r.I32();
  const std::uint16_t planes = r.U16();
  bm.bits = r.U16();
  const std::uint32_t compression = r.U32();
  r.Skip(12);  // image size, resolution
  const std::uint32_t colorsUsed = r.U32();
  r.Skip(4);  // important colours
  std::uint32_t masks[3] = {0, 0, 0};
  if (compression == BiBitfields && infoSize >= InfoHeaderSize + 12) {
    // Newer headers carry the colour masks inside them.
    for (auto& m : masks) m = r.U32();
    r.Skip(infoSize - InfoHeaderSize - 12);
  } else {
    r.Skip(infoSize - InfoHeaderSize);
  }

  if (planes != 1 || bm.width <= 0 || height == 0 || height == INT32_MIN) throw ChartsFileError("bad bitmap size");
  bm.bottomUp = height > 0;
  bm.height = height > 0 ? height : -static_cast<std::int64_t>(height);
  if (mask) {
    if (bm.bits != 1 || compression != BiRgb) throw ChartsFileError("bad mask bitmap");
    const std::uint32_t entries = colorsUsed == 0 ? 2 : colorsUsed;
    if (entries > 2) throw ChartsFileError("bad mask bitmap");
    r.Skip(std::size_t{entries} * 4);
  } else {
    if (bm.bits != 24 && bm.bits != 32) throw ChartsFileError("unsupported colour depth");
    if (compression == BiBitfields) {
      if (bm.bits != 32) throw ChartsFileError("unsupported bitmap compression");
      if (infoSize == InfoHeaderSize) {
        for (auto& m : masks) m = r.U32();
      }
      if (masks[0] != 0x00FF0000 || masks[1] != 0x0000FF00 || masks[2] != 0x000000FF)
        throw ChartsFileError("unsupported colour masks");
    } else if (compression != BiRgb) {
      throw ChartsFileError("unsupported bitmap compression");
    }
  }
  bm.stride = RowBytes(bm.width, bm.bits);
  const std::uint64_t need = static_cast<std::uint64_t>(bm.stride) * bm.height;
  if (need > r.Left()) throw ChartsFileError("the charts file ends too early");
  bm.pixels = r.Here();
  r.Skip(static_cast<std::size_t>(need));
  return bm;
}

}  // namespace

std::string EncodeChartsFile(const std::vector<RgbImage>& images, int cx, int cy) {
  const std::size_t count = images.size();
  if (count > 0xFFFF - 3) throw ChartsFileError("too many images for a charts file");
  const std::size_t capacity = std::max<std::size_t>(4, (count + 3) / 4 * 4);
  const std::int64_t width = static_cast<std::int64_t>(cx) * TilesPerRow;
  const std::int64_t height = static_cast<std::int64_t>(cy) * static_cast<std::int64_t>(capacity / TilesPerRow);
  const std::size_t stride = RowBytes(width, 24);
  const std::size_t pixelBytes = stride * static_cast<std::size_t>(height);

  std::string out;
  out.reserve(HeaderSize + FileHeaderSize + InfoHeaderSize + pixelBytes);
  Put16(out, ImageListMagic);
  Put16(out, ImageListVersion);
  Put16(out, static_cast<std::uint16_t>(count));
  Put16(out, static_cast<std::uint16_t>(capacity));
  Put16(out, 4);  // grow
  Put16(out, static_cast<std::uint16_t>(cx));
  Put16(out, static_cast<std::uint16_t>(cy));
  Put32(out, 0xFFFFFFFF);  // no background colour
  Put16(out, FlagColor24);
  for (int i = 0; i < 4; ++i) Put16(out, 0xFFFF);  // no overlays

  out += "BM";
  Put32(out, static_cast<std::uint32_t>(FileHeaderSize + InfoHeaderSize + pixelBytes));
  Put32(out, 0);
  Put32(out, FileHeaderSize + InfoHeaderSize);
  Put32(out, InfoHeaderSize);
  Put32(out, static_cast<std::uint32_t>(width));
  Put32(out, static_cast<std::uint32_t>(height));
  Put16(out, 1);
  Put16(out, 24);
  Put32(out, BiRgb);
  Put32(out, static_cast<std::uint32_t>(pixelBytes));
  Put32(out, 0);
  Put32(out, 0);
  Put32(out, 0);
  Put32(out, 0);

  // Unused tiles stay white, like a blank thumbnail.
  std::string pixels(pixelBytes, static_cast<char>(0xFF));
  for (std::size_t i = 0; i < count; ++i) {
    const RgbImage& img = images[i];
    const std::int64_t left = static_cast<std::int64_t>(i % TilesPerRow) * cx;
    const std::int64_t top = static_cast<std::int64_t>(i / TilesPerRow) * cy;
    const int w = std::min(cx, img.width);
    const int h = std::min(cy, img.height);
    if (img.pixels.size() < static_cast<std::size_t>(std::max(0, img.width)) * std::max(0, img.height) * 3) continue;
    for (int y = 0; y < h; ++y) {
      const std::size_t row = static_cast<std::size_t>(height - 1 - (top + y)) * stride;
      for (int x = 0; x < w; ++x) {
        const std::uint8_t* p = img.at(x, y);
        char* q = &pixels[row + static_cast<std::size_t>(left + x) * 3];
        q[0] = static_cast<char>(p[2]);
        q[1] = static_cast<char>(p[1]);
        q[2] = static_cast<char>(p[0]);
      }
    }
  }
  out += pixels;
  return out;
}

std::vector<RgbImage> DecodeChartsFile(std::string_view bytes) {
  Reader r(bytes);
  r.Need(HeaderSize);
  if (r.U16() != ImageListMagic) throw ChartsFileError("not an image list");
  if (r.U16() != ImageListVersion) throw ChartsFileError("unknown image list version");
  const int count = r.U16();
  const int capacity = r.U16();
  r.U16();  // grow
  const int cx = r.U16();
  const int cy = r.U16();
  r.U32();  // background colour
  const std::uint16_t flags = r.U16();
  r.Skip(8);  // overlays
  if (capacity < count) throw ChartsFileError("image count above capacity");
  if (cx == 0 || cy == 0) throw ChartsFileError("bad image size");

  const Bitmap colour = ReadBitmap(r, false);
  Bitmap mask;
  const bool masked = (flags & FlagMask) != 0;
  if (masked) {
    mask = ReadBitmap(r, true);
    if (mask.width != colour.width || mask.height != colour.height)
      throw ChartsFileError("mask and image differ in size");
  }
  // The tiles fill the bitmap's width; the writer puts four in a row.
  if (colour.width % cx != 0) throw ChartsFileError("bitmap width is no multiple of the image width");
  const std::int64_t perRow = colour.width / cx;
  const std::int64_t rowsNeeded = (count + perRow - 1) / perRow;
  if (rowsNeeded * cy > colour.height) throw ChartsFileError("bitmap too small for its images");

  const int bytesPerPixel = colour.bits / 8;
  // A 32-bit bitmap whose alpha is zero everywhere is opaque; otherwise alpha counts.
  bool useAlpha = false;
  if (colour.bits == 32) {
    for (std::int64_t y = 0; y < rowsNeeded * cy && !useAlpha; ++y) {
      const unsigned char* row = colour.Row(y);
      for (std::int64_t x = 0; x < colour.width; ++x)
        if (row[x * 4 + 3] != 0) {
          useAlpha = true;
          break;
        }
    }
  }

  std::vector<RgbImage> images;
  images.reserve(static_cast<std::size_t>(count));
  for (int i = 0; i < count; ++i) {
    RgbImage img(cx, cy);
    const std::int64_t left = (i % perRow) * cx;
    const std::int64_t top = (i / perRow) * cy;
    for (int y = 0; y < cy; ++y) {
      const unsigned char* src = colour.Row(top + y);
      const unsigned char* maskRow = masked ? mask.Row(top + y) : nullptr;
      for (int x = 0; x < cx; ++x) {
        const std::int64_t px = left + x;
        std::uint8_t* q = img.at(x, y);
        if (maskRow && (maskRow[px / 8] & (0x80 >> (px % 8)))) continue;  // transparent: white
        const unsigned char* p = src + px * bytesPerPixel;
        if (useAlpha) {
          const unsigned a = p[3];
          for (int c = 0; c < 3; ++c) q[c] = static_cast<std::uint8_t>((p[2 - c] * a + 255 * (255 - a) + 127) / 255);
        } else {
          q[0] = p[2];
          q[1] = p[1];
          q[2] = p[0];
        }
      }
    }
    images.push_back(std::move(img));
  }
  return images;
}

}  // namespace quarlen
