// libFuzzer target for the text decoder: the bytes of a setup.ini (or any
// text from a disc) to UTF-16, and UTF-8 <-> UTF-16.
//
// Checks, besides crashes and sanitizer reports, each decoding against a
// plain reference written separately here: the encoding detected from the
// byte-order mark or the bytes, UTF-16 and Windows-1251 unit by unit, strict
// UTF-8 code point by code point, and for every input that UTF-8 comes out
// valid and survives the way back.

#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <optional>
#include <string>
#include <string_view>

#include "platform/TextDecode.h"
#include "StrictUtf8.h"

namespace {

using platform::ProfileEncoding;

void Check(bool ok) {
  if (!ok) std::abort();
}


bool HasLoneSurrogate(std::u16string_view s) {
  for (std::size_t i = 0; i < s.size(); ++i) {
    const bool high = s[i] >= 0xD800 && s[i] <= 0xDBFF;
    if (high && i + 1 < s.size() && s[i + 1] >= 0xDC00 && s[i + 1] <= 0xDFFF) ++i;
    else if (s[i] >= 0xD800 && s[i] <= 0xDFFF) return true;
  }
  return false;
}

std::u16string Utf16Units(std::string_view s, bool bigEndian) {
  std::u16string out;
  for (std::size_t i = 0; i + 1 < s.size(); i += 2) {
    const unsigned a = static_cast<unsigned char>(s[i]), b = static_cast<unsigned char>(s[i + 1]);
    out.push_back(static_cast<char16_t>(bigEndian ? a << 8 | b : b << 8 | a));
  }
  return out;
}

// Windows-1251 by its known landmarks: ASCII as is, А..я in a row, Ё ё № €.
void CheckCp1251(std::string_view bytes, std::u16string_view text) {
  Check(text.size() == bytes.size());
  for (std::size_t i = 0; i < bytes.size(); ++i) {
    const auto b = static_cast<unsigned char>(bytes[i]);
    const char16_t c = text[i];
    if (b < 0x80) Check(c == b);
    else if (b >= 0xC0) Check(c == 0x0410 + (b - 0xC0));
    else if (b == 0xA8) Check(c == 0x0401);
    else if (b == 0xB8) Check(c == 0x0451);
    else if (b == 0xB9) Check(c == 0x2116);
    else if (b == 0x88) Check(c == 0x20AC);
    else Check(c >= 0x80 && !(c >= 0xD800 && c <= 0xDFFF));
  }
}

// Valid UTF-8 out, and the way back gives the same units (lone surrogates
// excepted: they have no UTF-8 form and come back as U+FFFD).
void CheckUtf8Out(std::u16string_view text) {
  const std::string utf8 = platform::Utf16ToUtf8(text);
  const auto back = fuzzref::StrictUtf8(utf8);
  Check(back.has_value());
  Check(platform::Utf8ToUtf16(utf8) == *back);
  if (!HasLoneSurrogate(text)) Check(*back == text);
  else Check(back->size() <= text.size());
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  const std::string_view bytes(reinterpret_cast<const char*>(data), size);
  const ProfileEncoding encoding = platform::DetectProfileEncoding(bytes);
  const std::u16string text = platform::DecodeProfileText(bytes);
  const auto strict = fuzzref::StrictUtf8(bytes);

  if (bytes.substr(0, 2) == "\xFF\xFE") {
    Check(encoding == ProfileEncoding::Utf16Le);
    Check(text == Utf16Units(bytes.substr(2), false));
  } else if (bytes.substr(0, 2) == "\xFE\xFF") {
    Check(encoding == ProfileEncoding::Utf16Be);
    Check(text == Utf16Units(bytes.substr(2), true));
  } else if (bytes.substr(0, 3) == "\xEF\xBB\xBF") {
    Check(encoding == ProfileEncoding::Utf8Bom);
    // As Windows reads it: valid text as it stands, a bad sequence one U+FFFD
    // for at least one byte, never a unit the bytes did not hold.
    const auto valid = fuzzref::StrictUtf8(bytes.substr(3));
    if (valid) Check(text == *valid);
    Check(text.size() <= size - 3);
    Check(!HasLoneSurrogate(text));
  } else if (strict) {
    Check(encoding == ProfileEncoding::Utf8);
    Check(text == *strict);
  } else {
    Check(encoding == ProfileEncoding::Cp1251);
    CheckCp1251(bytes, text);
  }
  CheckUtf8Out(text);

  // Any bytes as UTF-8: never a lone surrogate, valid ones unchanged.
  const std::u16string wide = platform::Utf8ToUtf16(bytes);
  Check(!HasLoneSurrogate(wide));
  Check(wide.size() <= size);
  if (strict) Check(wide == *strict && platform::Utf16ToUtf8(wide) == bytes);
  CheckUtf8Out(wide);

  // Any bytes as UTF-16 units, lone surrogates and all.
  CheckUtf8Out(Utf16Units(bytes, false));
  return 0;
}
