#include "ui/Pictures.h"

#include <cstdlib>
#include <cstring>

#include <zlib.h>

namespace ui {

namespace {

using Bytes = std::vector<std::uint8_t>;

// Larger than any picture of ours, small enough that no size computed from
// it overflows a 32-bit size_t.
constexpr std::uint32_t kMaxSide = 1u << 14;

std::uint32_t Le16(const std::uint8_t* p) { return p[0] | p[1] << 8; }
std::uint32_t Le32(const std::uint8_t* p) { return Le16(p) | Le16(p + 2) << 16; }
std::uint32_t Be32(const std::uint8_t* p) {
  return std::uint32_t(p[0]) << 24 | p[1] << 16 | p[2] << 8 | p[3];
}

// ---- BMP

bool DecodeBmp(const std::uint8_t* p, std::size_t n, DecodedPicture& out) {
  if (n < 54 || p[0] != 'B' || p[1] != 'M') return false;
  const std::uint32_t offset = Le32(p + 10), header = Le32(p + 14);
  const auto width = static_cast<std::int32_t>(Le32(p + 18));
  const auto rawHeight = static_cast<std::int32_t>(Le32(p + 22));
  const std::uint32_t bits = Le16(p + 28), compression = Le32(p + 30), used = Le32(p + 46);
  if (header < 40 || header > n - 14 || compression != 0 /*BI_RGB*/) return false;
  if (bits != 1 && bits != 4 && bits != 8 && bits != 24 && bits != 32) return false;
  const std::uint32_t height = rawHeight < 0 ? 0u - static_cast<std::uint32_t>(rawHeight)
                                             : static_cast<std::uint32_t>(rawHeight);
  if (width <= 0 || static_cast<std::uint32_t>(width) > kMaxSide || height == 0 ||
      height > kMaxSide)
    return false;
  const std::uint32_t w = static_cast<std::uint32_t>(width);
  const std::uint32_t colours = bits > 8 ? 0 : used ? used : 1u << bits;
  const std::uint8_t* palette = p + 14 + header;
  if (colours > 256 || colours * 4 > n - 14 - header) return false;
  const std::size_t stride = (static_cast<std::size_t>(w) * bits + 31) / 32 * 4;
  if (offset > n || (n - offset) / stride < height) return false;

  out.Width = static_cast<int>(w);
  out.Height = static_cast<int>(height);
  out.Bgra.resize(static_cast<std::size_t>(w) * height * 4);
  std::uint8_t* o = out.Bgra.data();
  for (std::uint32_t y = 0; y < height; ++y) {
    // Rows run bottom-up unless the height is negative.
    const std::uint8_t* row = p + offset + (rawHeight > 0 ? height - 1 - y : y) * stride;
    for (std::uint32_t x = 0; x < w; ++x, o += 4) {
      if (bits >= 24) {
        std::memcpy(o, row + x * (bits / 8), 3);
      } else {
        const std::uint32_t at = x * bits;
        const std::uint32_t index = (row[at / 8] >> (8 - bits - at % 8)) & ((1u << bits) - 1);
        if (index < colours)
          std::memcpy(o, palette + index * 4, 3);
        else
          std::memset(o, 0, 3);
      }
      o[3] = 255;
    }
  }
  return true;
}

// ---- PNG

int Paeth(int a, int b, int c) {
  const int p = a + b - c, pa = std::abs(p - a), pb = std::abs(p - b), pc = std::abs(p - c);
  return pa <= pb && pa <= pc ? a : pb <= pc ? b : c;
}

bool DecodePng(const std::uint8_t* p, std::size_t n, DecodedPicture& out) {
  static constexpr std::uint8_t kSignature[8] = {0x89, 'P', 'N', 'G', 13, 10, 26, 10};
  if (n < 8 || std::memcmp(p, kSignature, 8) != 0) return false;
  std::uint32_t w = 0, h = 0;
  int depth = 0, type = -1, interlace = 0;
  std::uint8_t palette[256][4] = {};  // BGRA
  std::uint32_t key = 0xFFFFFFFF;     // grey or RGB shown transparent
  Bytes compressed;
  for (std::size_t at = 8; n - at >= 12;) {
    const std::uint32_t len = Be32(p + at);
    const std::uint8_t* kind = p + at + 4;
    const std::uint8_t* body = p + at + 8;
    if (len > n - at - 12) return false;
    if (!std::memcmp(kind, "IHDR", 4) && len >= 13) {
      w = Be32(body);
      h = Be32(body + 4);
      depth = body[8];
      type = body[9];
      interlace = body[12];
    } else if (!std::memcmp(kind, "PLTE", 4)) {
      for (std::uint32_t i = 0; i < len / 3 && i < 256; ++i) {
        const std::uint8_t* rgb = body + i * 3;
        palette[i][0] = rgb[2];
        palette[i][1] = rgb[1];
        palette[i][2] = rgb[0];
        palette[i][3] = 255;
      }
    } else if (!std::memcmp(kind, "tRNS", 4)) {
      if (type == 3)
        for (std::uint32_t i = 0; i < len && i < 256; ++i) palette[i][3] = body[i];
      else if (type == 0 && len >= 2)
        key = body[1] * 0x010101u;
      else if (type == 2 && len >= 6)
        key = std::uint32_t(body[1]) << 16 | body[3] << 8 | body[5];
    } else if (!std::memcmp(kind, "IDAT", 4)) {
      compressed.insert(compressed.end(), body, body + len);
    } else if (!std::memcmp(kind, "IEND", 4)) {
      break;
    }
    at += 12 + std::size_t{len};
  }
  static constexpr int kChannels[7] = {1, 0, 3, 1, 2, 0, 4};
  const int channels = type >= 0 && type <= 6 ? kChannels[type] : 0;
  if (!channels || depth != 8 || interlace != 0 || !w || !h || w > kMaxSide || h > kMaxSide)
    return false;
  const std::size_t stride = std::size_t{w} * static_cast<std::size_t>(channels);
  const std::size_t total = (stride + 1) * h;
  // Deflate packs at most 1032 bytes into one: a header that promises more
  // than its data can hold is refused before anything is allocated for it.
  if (compressed.empty() || total / 1032 > compressed.size()) return false;
  Bytes raw(total);
  uLongf produced = static_cast<uLongf>(total);
  if (uncompress(raw.data(), &produced, compressed.data(), static_cast<uLong>(compressed.size())) !=
          Z_OK ||
      produced != total)
    return false;

  // Undo each row's filter in place; a row starts with its filter type.
  const std::size_t bpp = static_cast<std::size_t>(channels);
  for (std::uint32_t y = 0; y < h; ++y) {
    std::uint8_t* row = raw.data() + y * (stride + 1) + 1;
    const std::uint8_t* up = y ? row - (stride + 1) : nullptr;
    const int filter = row[-1];
    if (filter > 4) return false;
    for (std::size_t i = 0; i < stride; ++i) {
      const int a = i >= bpp ? row[i - bpp] : 0, b = up ? up[i] : 0;
      const int c = up && i >= bpp ? up[i - bpp] : 0;
      const int predicted = filter == 1   ? a
                            : filter == 2 ? b
                            : filter == 3 ? (a + b) / 2
                            : filter == 4 ? Paeth(a, b, c)
                                          : 0;
      row[i] = static_cast<std::uint8_t>(row[i] + predicted);
    }
  }

  out.Width = static_cast<int>(w);
  out.Height = static_cast<int>(h);
  out.Bgra.resize(std::size_t{w} * h * 4);
  std::uint8_t* o = out.Bgra.data();
  for (std::uint32_t y = 0; y < h; ++y) {
    const std::uint8_t* s = raw.data() + y * (stride + 1) + 1;
    for (std::uint32_t x = 0; x < w; ++x, s += channels, o += 4) {
      if (type == 3) {
        std::memcpy(o, palette[s[0]], 4);
      } else {
        const bool grey = type == 0 || type == 4, alpha = type == 4 || type == 6;
        o[0] = grey ? s[0] : s[2];
        o[1] = grey ? s[0] : s[1];
        o[2] = s[0];
        o[3] = alpha ? s[channels - 1] : 255;
      }
      if (key != 0xFFFFFFFF && (std::uint32_t(o[2]) << 16 | o[1] << 8 | o[0]) == key) o[3] = 0;
    }
  }
  return true;
}

}  // namespace

bool DecodePicture(const std::uint8_t* data, std::size_t size, DecodedPicture& out) {
  out = {};
  if (!data) return false;
  const bool ok =
      size >= 2 && data[0] == 'B' ? DecodeBmp(data, size, out) : DecodePng(data, size, out);
  if (!ok) out = {};
  return ok;
}

}  // namespace ui
