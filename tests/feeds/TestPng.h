#pragma once
// Test helper: writes PNG files of any colour type, depth and interlacing with
// libpng, so the thumbnail tests feed the decoder real files of every kind.
#include <png.h>

#include <csetjmp>
#include <cstdint>
#include <stdexcept>
#include <string>
#include <vector>

namespace quarlen::testpng {

struct PngSpec {
  int width = 86;
  int height = 60;
  int colorType = PNG_COLOR_TYPE_RGB;  // PNG_COLOR_TYPE_*
  int bitDepth = 8;
  bool interlaced = false;
  std::vector<png_color> palette;      // for PNG_COLOR_TYPE_PALETTE
  std::vector<png_byte> paletteAlpha;  // tRNS entries of a palette image
  bool grayTransparent = false;        // tRNS for gray: value 0 is transparent
};

// `rows` are the raw PNG rows, already packed for the colour type and depth.
inline std::string WritePng(const PngSpec& spec, const std::vector<std::vector<png_byte>>& rows) {
  png_structp png = png_create_write_struct(PNG_LIBPNG_VER_STRING, nullptr, nullptr, nullptr);
  png_infop info = png_create_info_struct(png);
  std::string out;
  if (setjmp(png_jmpbuf(png))) {
    png_destroy_write_struct(&png, &info);
    throw std::runtime_error("writing the test PNG failed");
  }
  png_set_write_fn(
      png, &out,
      [](png_structp p, png_bytep data, size_t n) {
        static_cast<std::string*>(png_get_io_ptr(p))->append(reinterpret_cast<char*>(data), n);
      },
      [](png_structp) {});
  png_set_IHDR(png, info, spec.width, spec.height, spec.bitDepth, spec.colorType,
               spec.interlaced ? PNG_INTERLACE_ADAM7 : PNG_INTERLACE_NONE, PNG_COMPRESSION_TYPE_DEFAULT,
               PNG_FILTER_TYPE_DEFAULT);
  if (!spec.palette.empty()) png_set_PLTE(png, info, spec.palette.data(), static_cast<int>(spec.palette.size()));
  if (!spec.paletteAlpha.empty())
    png_set_tRNS(png, info, spec.paletteAlpha.data(), static_cast<int>(spec.paletteAlpha.size()), nullptr);
  if (spec.grayTransparent) {
    png_color_16 transparent{};
    png_set_tRNS(png, info, nullptr, 0, &transparent);
  }
  png_write_info(png, info);
  std::vector<png_bytep> pointers;
  for (const auto& row : rows) pointers.push_back(const_cast<png_bytep>(row.data()));
  png_write_image(png, pointers.data());
  png_write_end(png, nullptr);
  png_destroy_write_struct(&png, &info);
  return out;
}

// An 8-bit RGB PNG of one colour.
inline std::string SolidRgbPng(int width, int height, png_byte r, png_byte g, png_byte b) {
  PngSpec spec;
  spec.width = width;
  spec.height = height;
  std::vector<std::vector<png_byte>> rows(height);
  for (auto& row : rows)
    for (int x = 0; x < width; ++x) row.insert(row.end(), {r, g, b});
  return WritePng(spec, rows);
}

}  // namespace quarlen::testpng
