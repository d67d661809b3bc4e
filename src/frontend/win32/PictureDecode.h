#pragma once
// The pictures' BMP and PNG files decoded by hand: a system codec (WIC)
// would bring COM and a dozen DLLs into the process before its first window.

#include <cstddef>
#include <cstdint>
#include <vector>

namespace ui::win32 {

struct DecodedPicture {
  std::vector<std::uint8_t> Bgra;  // top-down rows, straight alpha
  int Width = 0;
  int Height = 0;
};

// An uncompressed BMP of 1, 4, 8, 24 or 32 bits (opaque), or a PNG with
// 8-bit samples, not interlaced, of any colour type. False for anything else
// and for a damaged file.
bool DecodePicture(const std::uint8_t* data, std::size_t size, DecodedPicture& out);

}  // namespace ui::win32
