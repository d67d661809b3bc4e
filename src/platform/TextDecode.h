#pragma once
// Text conversions at the edges: file bytes to UTF-16, UTF-8 <-> UTF-16.

#include <string>
#include <string_view>

namespace platform {

// How DecodeProfileText reads a file's bytes.
enum class ProfileEncoding { Utf16Le, Utf16Be, Utf8Bom, Utf8, Cp1251 };
ProfileEncoding DetectProfileEncoding(std::string_view bytes);

// File content to UTF-16: UTF-16 LE/BE with a byte-order mark, UTF-8 with or
// without one, otherwise Windows-1251.
std::u16string DecodeProfileText(std::string_view bytes);

std::u16string Utf8ToUtf16(std::string_view s);
std::string Utf16ToUtf8(std::u16string_view s);

}  // namespace platform
