#include "ui/Pictures.h"

#include <cstdlib>
#include <cstring>

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

// ---- inflate (RFC 1951)

// The stream's bits, least significant first.
struct BitReader {
  const std::uint8_t* Data;
  std::size_t Size;
  std::size_t Pos = 0;
  std::uint32_t Buffer = 0;
  int Count = 0;  // always under 8 between calls
  bool Overrun = false;

  std::uint32_t Get(int n) {
    while (Count < n) {
      if (Pos == Size) {
        Overrun = true;
        return 0;
      }
      Buffer |= std::uint32_t(Data[Pos++]) << Count;
      Count += 8;
    }
    const std::uint32_t v = Buffer & ((1u << n) - 1);
    Buffer >>= n;
    Count -= n;
    return v;
  }
};

// A canonical Huffman code: how many codes of each length, and the symbols
// in code order.
struct Huffman {
  std::uint16_t Count[16];
  std::uint16_t Symbol[288];
};

bool Build(Huffman& h, const std::uint8_t* lengths, int n) {
  std::memset(h.Count, 0, sizeof(h.Count));
  for (int i = 0; i < n; ++i) ++h.Count[lengths[i]];
  int left = 1;
  for (int len = 1; len < 16; ++len) {
    left = left * 2 - h.Count[len];
    if (left < 0) return false;  // more codes than the lengths allow
  }
  std::uint16_t next[16] = {};
  for (int len = 1; len < 15; ++len) next[len + 1] = next[len] + h.Count[len];
  for (int i = 0; i < n; ++i)
    if (lengths[i]) h.Symbol[next[lengths[i]]++] = static_cast<std::uint16_t>(i);
  return true;
}

int Decode(BitReader& in, const Huffman& h) {
  int code = 0, first = 0, index = 0;
  for (int len = 1; len < 16; ++len) {
    code |= static_cast<int>(in.Get(1));
    const int count = h.Count[len];
    if (code - first < count) return h.Symbol[index + code - first];
    index += count;
    first = (first + count) << 1;
    code <<= 1;
  }
  return -1;
}

bool Codes(BitReader& in, const Huffman& lit, const Huffman& dist, Bytes& out, std::size_t limit) {
  static constexpr std::uint16_t kLenBase[29] = {3,  4,  5,  6,   7,   8,   9,   10,  11, 13,
                                                 15, 17, 19, 23,  27,  31,  35,  43,  51, 59,
                                                 67, 83, 99, 115, 131, 163, 195, 227, 258};
  static constexpr std::uint8_t kLenExtra[29] = {0, 0, 0, 0, 0, 0, 0, 0, 1, 1, 1, 1, 2, 2, 2,
                                                 2, 3, 3, 3, 3, 4, 4, 4, 4, 5, 5, 5, 5, 0};
  static constexpr std::uint16_t kDistBase[30] = {
      1,   2,   3,   4,   5,   7,    9,    13,   17,   25,   33,   49,   65,    97,    129,
      193, 257, 385, 513, 769, 1025, 1537, 2049, 3073, 4097, 6145, 8193, 12289, 16385, 24577};
  static constexpr std::uint8_t kDistExtra[30] = {0, 0, 0,  0,  1,  1,  2,  2,  3,  3,
                                                  4, 4, 5,  5,  6,  6,  7,  7,  8,  8,
                                                  9, 9, 10, 10, 11, 11, 12, 12, 13, 13};
  for (;;) {
    int symbol = Decode(in, lit);
    if (symbol < 0 || in.Overrun) return false;
    if (symbol < 256) {
      if (out.size() == limit) return false;
      out.push_back(static_cast<std::uint8_t>(symbol));
      continue;
    }
    if (symbol == 256) return true;
    symbol -= 257;
    if (symbol >= 29) return false;
    const std::size_t length = kLenBase[symbol] + in.Get(kLenExtra[symbol]);
    const int d = Decode(in, dist);
    if (d < 0 || d >= 30) return false;
    const std::size_t distance = kDistBase[d] + in.Get(kDistExtra[d]);
    if (in.Overrun || distance > out.size() || length > limit - out.size()) return false;
    for (std::size_t k = 0; k < length; ++k) out.push_back(out[out.size() - distance]);
  }
}

// Inflates a deflate stream into `out`, which may hold no more than `limit` bytes.
bool Inflate(const std::uint8_t* data, std::size_t size, Bytes& out, std::size_t limit) {
  BitReader in{data, size};
  Huffman lit, dist;
  std::uint8_t lengths[286 + 30];
  for (bool last = false; !last;) {
    last = in.Get(1);
    const std::uint32_t type = in.Get(2);
    if (type == 0) {
      // Stored: from the next byte boundary, LEN, its complement, LEN bytes.
      in.Buffer = 0;
      in.Count = 0;
      if (size - in.Pos < 4) return false;
      const std::uint32_t len = Le16(data + in.Pos);
      if ((len ^ Le16(data + in.Pos + 2)) != 0xFFFF) return false;
      in.Pos += 4;
      if (size - in.Pos < len || len > limit - out.size()) return false;
      out.insert(out.end(), data + in.Pos, data + in.Pos + len);
      in.Pos += len;
      continue;
    }
    if (type == 1) {
      std::memset(lengths, 8, 144);
      std::memset(lengths + 144, 9, 112);
      std::memset(lengths + 256, 7, 24);
      std::memset(lengths + 280, 8, 8);
      Build(lit, lengths, 288);
      std::memset(lengths, 5, 30);
      Build(dist, lengths, 30);
    } else if (type == 2) {
      const int nlen = static_cast<int>(in.Get(5)) + 257, ndist = static_cast<int>(in.Get(5)) + 1;
      const int ncode = static_cast<int>(in.Get(4)) + 4;
      if (nlen > 286 || ndist > 30) return false;
      static constexpr std::uint8_t kOrder[19] = {16, 17, 18, 0, 8,  7, 9,  6, 10, 5,
                                                  11, 4,  12, 3, 13, 2, 14, 1, 15};
      std::memset(lengths, 0, 19);
      for (int i = 0; i < ncode; ++i) lengths[kOrder[i]] = static_cast<std::uint8_t>(in.Get(3));
      Huffman lencode;
      if (!Build(lencode, lengths, 19)) return false;
      for (int i = 0; i < nlen + ndist;) {
        const int symbol = Decode(in, lencode);
        if (symbol < 0 || in.Overrun) return false;
        if (symbol < 16) {
          lengths[i++] = static_cast<std::uint8_t>(symbol);
          continue;
        }
        std::uint8_t value = 0;
        std::uint32_t repeat;
        if (symbol == 16) {
          if (i == 0) return false;
          value = lengths[i - 1];
          repeat = 3 + in.Get(2);
        } else {
          repeat = symbol == 17 ? 3 + in.Get(3) : 11 + in.Get(7);
        }
        if (repeat > static_cast<std::uint32_t>(nlen + ndist - i)) return false;
        std::memset(lengths + i, value, repeat);
        i += static_cast<int>(repeat);
      }
      if (!lengths[256] || !Build(lit, lengths, nlen) || !Build(dist, lengths + nlen, ndist))
        return false;
    } else {
      return false;
    }
    if (!Codes(in, lit, dist, out, limit)) return false;
  }
  return !in.Overrun;
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
  // The zlib wrapper: deflate, no preset dictionary.
  if (compressed.size() < 2 || (compressed[0] & 0x0F) != 8 || (compressed[1] & 0x20) ||
      (compressed[0] << 8 | compressed[1]) % 31)
    return false;

  const std::size_t stride = std::size_t{w} * static_cast<std::size_t>(channels);
  const std::size_t total = (stride + 1) * h;
  Bytes raw;
  raw.reserve(total);
  if (!Inflate(compressed.data() + 2, compressed.size() - 2, raw, total) || raw.size() != total)
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
