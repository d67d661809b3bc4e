#include "platform/Profile.h"

#include "platform/win32/Win.h"

#include <string_view>

#include "platform/win32/Wide.h"

namespace platform {
namespace {

// A name without a directory would be looked up in the Windows directory,
// and a relative one against whatever the current directory is then.
bool AbsolutePath(const std::wstring& path, std::wstring& out) {
  DWORD size = GetFullPathNameW(path.c_str(), 0, nullptr, nullptr);
  // The path may change length between calls only if the current
  // directory changes; a few tries are plenty.
  for (int attempt = 0; attempt < 4 && size != 0; ++attempt) {
    out.assign(size, L'\0');
    const DWORD n = GetFullPathNameW(path.c_str(), size, out.data(), nullptr);
    if (n == 0) return false;
    if (n < size) {
      out.resize(n);
      return true;
    }
    size = n;
  }
  return false;
}

// The profile API copies the name into a MAX_PATH buffer, so a longer one is
// passed in its short (8.3) form when that fits.
std::wstring ShortEnough(const std::wstring& full) {
  if (full.size() < MAX_PATH) return full;
  const DWORD size = GetShortPathNameW(full.c_str(), nullptr, 0);
  if (size == 0) return full;
  std::wstring shortPath(size, L'\0');
  const DWORD n = GetShortPathNameW(full.c_str(), shortPath.data(), size);
  if (n == 0 || n >= size || n >= MAX_PATH) return full;
  shortPath.resize(n);
  return shortPath;
}

}  // namespace

std::string ReadProfileString(const std::string& path, const std::string& section,
                              const std::string& key) {
  try {
    // An empty name is a missing one, as on every platform; Windows itself
    // would look it up.
    if (path.empty() || section.empty() || key.empty()) return {};
    std::wstring full;
    if (!AbsolutePath(Wide(path), full)) return {};
    wchar_t value[kProfileValueMax + 1] = {};
    const DWORD n = GetPrivateProfileStringW(Wide(section).c_str(), Wide(key).c_str(), L"", value,
                                             static_cast<DWORD>(kProfileValueMax + 1),
                                             ShortEnough(full).c_str());
    return Utf16ToUtf8(std::u16string_view(reinterpret_cast<const char16_t*>(value), n));
  } catch (...) {
    // bad_alloc while converting is just another unreadable file.
    return {};
  }
}

}  // namespace platform
