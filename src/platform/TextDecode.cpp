#include "platform/TextDecode.h"

namespace platform {
namespace {

constexpr char16_t kReplacement = 0xFFFD;

// Windows-1251, bytes 0x80..0xBF; 0xC0..0xFF are U+0410..U+044F in order.
// 0x98 has no character in the code page; Windows maps it to U+0098.
constexpr char16_t kCp1251High[64] = {
    0x0402, 0x0403, 0x201A, 0x0453, 0x201E, 0x2026, 0x2020, 0x2021,  // 80
    0x20AC, 0x2030, 0x0409, 0x2039, 0x040A, 0x040C, 0x040B, 0x040F,  // 88
    0x0452, 0x2018, 0x2019, 0x201C, 0x201D, 0x2022, 0x2013, 0x2014,  // 90
    0x0098, 0x2122, 0x0459, 0x203A, 0x045A, 0x045C, 0x045B, 0x045F,  // 98
    0x00A0, 0x040E, 0x045E, 0x0408, 0x00A4, 0x0490, 0x00A6, 0x00A7,  // A0
    0x0401, 0x00A9, 0x0404, 0x00AB, 0x00AC, 0x00AD, 0x00AE, 0x0407,  // A8
    0x00B0, 0x00B1, 0x0406, 0x0456, 0x0491, 0x00B5, 0x00B6, 0x00B7,  // B0
    0x0451, 0x2116, 0x0454, 0x00BB, 0x0458, 0x0405, 0x0455, 0x0457,  // B8
};

char16_t Cp1251ToUtf16(unsigned char b) {
  if (b < 0x80) return b;
  if (b < 0xC0) return kCp1251High[b - 0x80];
  return static_cast<char16_t>(0x0410 + (b - 0xC0));
}

// Decodes one UTF-8 sequence at s[i]. Returns the number of bytes used; on a
// malformed sequence sets `ok` to false, `cp` to U+FFFD and consumes only the
// longest valid prefix (at least one byte), as Unicode recommends, so a bad
// byte never swallows the good text after it.
std::size_t DecodeUtf8At(std::string_view s, std::size_t i, char32_t& cp, bool& ok) {
  const auto byte = [&](std::size_t k) { return static_cast<unsigned char>(s[k]); };
  const unsigned char b0 = byte(i);
  ok = true;
  if (b0 < 0x80) {
    cp = b0;
    return 1;
  }
  std::size_t need;
  unsigned char lo = 0x80, hi = 0xBF;  // allowed range of the second byte
  if (b0 >= 0xC2 && b0 <= 0xDF) {
    need = 1;
    cp = b0 & 0x1F;
  } else if (b0 >= 0xE0 && b0 <= 0xEF) {
    need = 2;
    cp = b0 & 0x0F;
    if (b0 == 0xE0) lo = 0xA0;  // overlong
    if (b0 == 0xED) hi = 0x9F;  // surrogates
  } else if (b0 >= 0xF0 && b0 <= 0xF4) {
    need = 3;
    cp = b0 & 0x07;
    if (b0 == 0xF0) lo = 0x90;  // overlong
    if (b0 == 0xF4) hi = 0x8F;  // above U+10FFFF
  } else {
    ok = false;
    cp = kReplacement;
    return 1;
  }
  std::size_t used = 1;
  for (std::size_t k = 0; k < need; ++k) {
    if (i + used >= s.size()) break;
    const unsigned char b = byte(i + used);
    const unsigned char min = k == 0 ? lo : 0x80;
    const unsigned char max = k == 0 ? hi : 0xBF;
    if (b < min || b > max) break;
    cp = (cp << 6) | (b & 0x3F);
    ++used;
  }
  if (used != need + 1) {
    ok = false;
    cp = kReplacement;
  }
  return used;
}

void AppendUtf16(std::u16string& out, char32_t cp) {
  if (cp < 0x10000) {
    out.push_back(static_cast<char16_t>(cp));
  } else {
    cp -= 0x10000;
    out.push_back(static_cast<char16_t>(0xD800 + (cp >> 10)));
    out.push_back(static_cast<char16_t>(0xDC00 + (cp & 0x3FF)));
  }
}

// Strict when `strict`: gives up (returns false) at the first malformed
// sequence instead of substituting U+FFFD.
bool DecodeUtf8(std::string_view s, std::u16string& out, bool strict) {
  out.clear();
  out.reserve(s.size());
  for (std::size_t i = 0; i < s.size();) {
    char32_t cp;
    bool ok;
    i += DecodeUtf8At(s, i, cp, ok);
    if (!ok && strict) return false;
    AppendUtf16(out, cp);
  }
  return true;
}

// UTF-8 the way MultiByteToWideChar(CP_UTF8) reads it, which is how Windows
// reads a profile file with a UTF-8 byte-order mark. A bad sequence becomes
// one U+FFFD covering the bytes up to where it went wrong (Windows stops
// later than Unicode recommends for overlong forms and surrogates), and a
// sequence cut off by the end of the text takes the rest with it.
std::u16string DecodeUtf8AsWindows(std::string_view s) {
  constexpr unsigned char kLeadMask[4] = {0x7F, 0x1F, 0x0F, 0x07};
  std::u16string out;
  out.reserve(s.size());
  std::size_t i = 0;
  // Adds the next byte to `cp` if it is a continuation byte.
  const auto next = [&](char32_t& cp) {
    const unsigned c = static_cast<unsigned char>(s[i]) ^ 0x80u;
    if (c >= 0x40) return false;
    cp = (cp << 6) | c;
    return true;
  };
  while (i < s.size()) {
    const auto b0 = static_cast<unsigned char>(s[i++]);
    if (b0 < 0x80) {
      out.push_back(b0);
      continue;
    }
    const std::size_t more = (b0 >= 0xC2 && b0 <= 0xDF)   ? 1
                             : (b0 >= 0xE0 && b0 <= 0xEF) ? 2
                             : (b0 >= 0xF0 && b0 <= 0xF4) ? 3
                                                          : 0;
    if (i + more > s.size()) {
      out.push_back(kReplacement);
      break;
    }
    char32_t cp = b0 & kLeadMask[more];
    bool ok = false;
    switch (more) {
      case 3:
        if (!next(cp)) break;
        ++i;
        if (cp < 0x10) break;  // overlong
        [[fallthrough]];
      case 2:
        if (!next(cp)) break;
        if (cp >= (0x110000 >> 6)) break;  // above U+10FFFF; this byte starts afresh
        ++i;
        if (cp < 0x20) break;                                   // overlong
        if (cp >= (0xD800 >> 6) && cp <= (0xDFFF >> 6)) break;  // surrogate
        [[fallthrough]];
      case 1:
        if (!next(cp)) break;
        ++i;
        ok = cp >= 0x80;  // else overlong
        break;
      default:
        break;
    }
    AppendUtf16(out, ok ? cp : kReplacement);
  }
  return out;
}

std::u16string DecodeUtf16(std::string_view s, bool bigEndian) {
  std::u16string out;
  out.reserve(s.size() / 2);
  // An odd trailing byte is half a unit: drop it.
  for (std::size_t i = 0; i + 1 < s.size(); i += 2) {
    const auto a = static_cast<unsigned char>(s[i]);
    const auto b = static_cast<unsigned char>(s[i + 1]);
    out.push_back(static_cast<char16_t>(bigEndian ? (a << 8) | b : (b << 8) | a));
  }
  return out;
}

bool StartsWith(std::string_view s, std::string_view prefix) {
  return s.substr(0, prefix.size()) == prefix;
}

}  // namespace

namespace {

// Decodes into `out` when given one; detection alone otherwise.
ProfileEncoding Decode(std::string_view bytes, std::u16string* out) {
  std::u16string scratch;
  std::u16string& text = out ? *out : scratch;
  if (StartsWith(bytes, "\xFF\xFE")) {
    if (out) text = DecodeUtf16(bytes.substr(2), false);
    return ProfileEncoding::Utf16Le;
  }
  if (StartsWith(bytes, "\xFE\xFF")) {
    if (out) text = DecodeUtf16(bytes.substr(2), true);
    return ProfileEncoding::Utf16Be;
  }
  if (StartsWith(bytes, "\xEF\xBB\xBF")) {
    if (out) text = DecodeUtf8AsWindows(bytes.substr(3));
    return ProfileEncoding::Utf8Bom;
  }
  // Without a mark Windows reads the ANSI code page; UTF-8 is our extension.
  if (DecodeUtf8(bytes, text, true)) return ProfileEncoding::Utf8;
  // Not UTF-8: an ANSI file written on Cyrillic Windows.
  if (out) {
    text.clear();
    text.reserve(bytes.size());
    for (char c : bytes) text.push_back(Cp1251ToUtf16(static_cast<unsigned char>(c)));
  }
  return ProfileEncoding::Cp1251;
}

}  // namespace

ProfileEncoding DetectProfileEncoding(std::string_view bytes) { return Decode(bytes, nullptr); }

std::u16string DecodeProfileText(std::string_view bytes) {
  std::u16string out;
  Decode(bytes, &out);
  return out;
}

std::u16string Utf8ToUtf16(std::string_view s) {
  std::u16string out;
  DecodeUtf8(s, out, false);
  return out;
}

std::string Utf16ToUtf8(std::u16string_view s) {
  std::string out;
  out.reserve(s.size());
  for (std::size_t i = 0; i < s.size(); ++i) {
    char32_t cp = s[i];
    if (cp >= 0xD800 && cp <= 0xDBFF && i + 1 < s.size() && s[i + 1] >= 0xDC00 &&
        s[i + 1] <= 0xDFFF) {
      cp = 0x10000 + ((cp - 0xD800) << 10) + (s[i + 1] - 0xDC00);
      ++i;
    } else if (cp >= 0xD800 && cp <= 0xDFFF) {
      cp = kReplacement;  // lone surrogate has no UTF-8 form
    }
    if (cp < 0x80) {
      out.push_back(static_cast<char>(cp));
    } else if (cp < 0x800) {
      out.push_back(static_cast<char>(0xC0 | (cp >> 6)));
      out.push_back(static_cast<char>(0x80 | (cp & 0x3F)));
    } else if (cp < 0x10000) {
      out.push_back(static_cast<char>(0xE0 | (cp >> 12)));
      out.push_back(static_cast<char>(0x80 | ((cp >> 6) & 0x3F)));
      out.push_back(static_cast<char>(0x80 | (cp & 0x3F)));
    } else {
      out.push_back(static_cast<char>(0xF0 | (cp >> 18)));
      out.push_back(static_cast<char>(0x80 | ((cp >> 12) & 0x3F)));
      out.push_back(static_cast<char>(0x80 | ((cp >> 6) & 0x3F)));
      out.push_back(static_cast<char>(0x80 | (cp & 0x3F)));
    }
  }
  return out;
}

}  // namespace platform
