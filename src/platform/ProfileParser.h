#pragma once
// Our own profile reader: the same results as GetPrivateProfileStringW, from
// the raw bytes of a file. Portable, so it also runs on Windows to be compared
// against the system's reader.

#include <string>
#include <string_view>

namespace platform {

// Looks `key` up in `section` of the file content `bytes` (any encoding that
// DecodeProfileText accepts). Returns the value as UTF-8, "" when absent.
// Never throws except std::bad_alloc.
std::string LookupProfileValue(std::string_view bytes, std::string_view section,
                               std::string_view key);

}  // namespace platform
