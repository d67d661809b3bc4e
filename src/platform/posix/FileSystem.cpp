#include "platform/Platform.h"

#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <vector>

namespace platform {

std::string ExecutablePath() {
  // readlink does not say when it truncated, so grow until it fits.
  std::vector<char> buf(4096);
  for (;;) {
    ssize_t n = readlink("/proc/self/exe", buf.data(), buf.size());
    if (n < 0) return {};
    if (static_cast<size_t>(n) < buf.size()) return std::string(buf.data(), static_cast<size_t>(n));
    buf.resize(buf.size() * 2);
  }
}

char PathDelimiter() { return '/'; }

std::string NativePath(const std::string& path) {
  // The program's own folder is a path as the system gave it, and a
  // backslash is a letter of a name there (a disc copied to "disc\\copy").
  // Only what setup.ini puts behind it uses backslashes as separators.
  static const std::string own = [] {
    const std::string exe = ExecutablePath();
    const auto slash = exe.rfind('/');
    return slash == std::string::npos ? std::string() : exe.substr(0, slash + 1);
  }();
  std::string p = path;
  const size_t keep = !own.empty() && p.compare(0, own.size(), own) == 0 ? own.size() : 0;
  std::replace(p.begin() + static_cast<std::ptrdiff_t>(keep), p.end(), '\\', '/');
  return p;
}

bool DirectoryExists(const std::string& path) {
  struct stat st{};
  return !path.empty() && stat(NativePath(path).c_str(), &st) == 0 && S_ISDIR(st.st_mode);
}

bool MakeDirectory(const std::string& path) {
  return !path.empty() && mkdir(NativePath(path).c_str(), 0777) == 0;
}

bool FileExists(const std::string& path) {
  struct stat st{};
  return !path.empty() && stat(NativePath(path).c_str(), &st) == 0 && S_ISREG(st.st_mode);
}

}  // namespace platform
