#pragma once
// UTF-8 <-> UTF-16 for Win32 calls (wchar_t is 16 bits there).

#include <string>
#include <string_view>

#include "platform/TextDecode.h"

namespace platform {

inline std::wstring Wide(std::string_view s) {
  const std::u16string u = Utf8ToUtf16(s);
  return std::wstring(u.begin(), u.end());
}

inline std::string Narrow(std::wstring_view s) {
  return Utf16ToUtf8(std::u16string_view(reinterpret_cast<const char16_t*>(s.data()), s.size()));
}

}  // namespace platform
