#pragma once
// Reading one value of an INI ("profile") file the way the Windows profile
// API does. The file is opened and looked at on every call, so a change is
// seen at once; its decoded text is kept while the file stays the same.

#include <string>

namespace platform {

// Longest value a read returns, in UTF-16 code units.
constexpr std::size_t kProfileValueMax = 2047;

// The value of `key` in `section` of the file at `path`, or "" when the
// file, section or key is missing or unreadable. Never throws.
std::string ReadProfileString(const std::string& path, const std::string& section,
                              const std::string& key);

}  // namespace platform
