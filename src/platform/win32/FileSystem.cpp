#include "platform/Platform.h"

#include "platform/win32/Win.h"

#include <string_view>
#include <vector>

#include "platform/win32/Wide.h"

namespace platform {
namespace {

// The longest path NT takes, with room for its terminator.
constexpr DWORD kLongestPath = 32768;

}  // namespace

std::string ExecutablePath() {
  // A cut name is not an error: it comes back as long as the buffer, with
  // ERROR_INSUFFICIENT_BUFFER (no terminator on older systems).
  std::vector<wchar_t> buf(MAX_PATH);
  for (;;) {
    const DWORD size = static_cast<DWORD>(buf.size());
    SetLastError(ERROR_SUCCESS);
    const DWORD n = GetModuleFileNameW(nullptr, buf.data(), size);
    if (n == 0) return {};
    if (n < size && GetLastError() != ERROR_INSUFFICIENT_BUFFER) return Narrow(std::wstring_view(buf.data(), n));
    if (size >= kLongestPath) return {};
    buf.resize(size * 2 > kLongestPath ? kLongestPath : size * 2);
  }
}

char PathDelimiter() { return '\\'; }

std::string NativePath(const std::string& path) { return path; }

bool DirectoryExists(const std::string& path) {
  if (path.empty()) return false;
  const DWORD attributes = GetFileAttributesW(Wide(path).c_str());
  return attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY) != 0;
}

bool MakeDirectory(const std::string& path) {
  return !path.empty() && CreateDirectoryW(Wide(path).c_str(), nullptr) != 0;
}

bool FileExists(const std::string& path) {
  if (path.empty()) return false;
  const DWORD attributes = GetFileAttributesW(Wide(path).c_str());
  return attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY) == 0;
}

}  // namespace platform
