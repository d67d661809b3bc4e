#pragma once
// The program's pictures as every front end prepares them. Their BMP and PNG
// files decoded here, PNG's deflate by zlib (linked into the Windows
// program): a system codec (WIC) would bring COM and a dozen DLLs into it
// before its first window.

#include <cstddef>
#include <cstdint>
#include <vector>

namespace ui {

struct DecodedPicture {
  std::vector<std::uint8_t> Bgra;  // top-down rows, straight alpha
  int Width = 0;
  int Height = 0;
};

// An uncompressed BMP of 1, 4, 8, 24 or 32 bits (opaque), or a PNG with
// 8-bit samples, not interlaced, of any colour type. False for anything else
// and for a damaged file.
bool DecodePicture(const std::uint8_t* data, std::size_t size, DecodedPicture& out);

// Pixels as 0xAARRGGBB. A bitmap leaves the colour of its bottom-left
// pixel, `key`, undrawn; its other pixels are opaque.
constexpr std::uint32_t KeyedPixel(std::uint32_t argb, std::uint32_t key) {
  return ((argb ^ key) & 0xFFFFFF) == 0 ? 0 : argb | 0xFF000000u;
}
// A disabled button's picture: each pixel a light grey of its brightness.
constexpr std::uint32_t GreyedPixel(std::uint32_t argb) {
  const std::uint32_t r = (argb >> 16) & 0xFF, g = (argb >> 8) & 0xFF, b = argb & 0xFF;
  const std::uint32_t grey = 128 + (r * 30 + g * 59 + b * 11) / 200;
  return (argb & 0xFF000000u) | grey << 16 | grey << 8 | grey;
}

}  // namespace ui
