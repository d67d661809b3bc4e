#include "platform/Profile.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>

#include "platform/Platform.h"
#include "platform/ProfileParser.h"

namespace platform {
namespace {

// Far beyond any real setup file; a bound so that a file that keeps growing
// while we read cannot keep us reading.
constexpr std::size_t kMaxFileBytes = std::size_t{256} << 20;

class FileDescriptor {
 public:
  explicit FileDescriptor(int fd) : fd_(fd) {}
  ~FileDescriptor() {
    // Not retried on EINTR: on Linux the descriptor is gone either way.
    if (fd_ >= 0) ::close(fd_);
  }
  FileDescriptor(const FileDescriptor&) = delete;
  FileDescriptor& operator=(const FileDescriptor&) = delete;
  int get() const { return fd_; }

 private:
  int fd_;
};

// The whole content of a regular file. Anything else (FIFO, device,
// directory) is refused before reading: those can block or never end.
bool ReadRegularFile(const std::string& path, std::string& out) {
  struct stat st {};
  // Checked before opening too, so that a device is never even opened.
  if (::stat(path.c_str(), &st) != 0 || !S_ISREG(st.st_mode)) return false;

  int raw;
  do {
    // O_NONBLOCK: if the path was swapped for a FIFO meanwhile, open must
    // not wait for a writer.
    raw = ::open(path.c_str(), O_RDONLY | O_CLOEXEC | O_NOCTTY | O_NONBLOCK);
  } while (raw < 0 && errno == EINTR);
  if (raw < 0) return false;
  const FileDescriptor fd(raw);

  if (::fstat(fd.get(), &st) != 0 || !S_ISREG(st.st_mode)) return false;
  const int flags = ::fcntl(fd.get(), F_GETFL);
  if (flags < 0 || ::fcntl(fd.get(), F_SETFL, flags & ~O_NONBLOCK) != 0) return false;

  const auto size = static_cast<std::size_t>(st.st_size);
  if (size > kMaxFileBytes) return false;
  // One byte over the size so that an unchanged file ends in one read + EOF.
  out.resize(size + 1);
  std::size_t used = 0;
  for (;;) {
    if (used == out.size()) {
      if (out.size() >= kMaxFileBytes) return false;
      out.resize(std::min(out.size() * 2, kMaxFileBytes));
    }
    const ssize_t n = ::read(fd.get(), out.data() + used, out.size() - used);
    if (n < 0) {
      if (errno == EINTR) continue;
      return false;
    }
    if (n == 0) break;
    used += static_cast<std::size_t>(n);
  }
  out.resize(used);
  return true;
}

}  // namespace

std::string ReadProfileString(const std::string& path, const std::string& section,
                              const std::string& key) {
  try {
    if (path.empty() || section.empty() || key.empty()) return {};
    std::string bytes;
    if (!ReadRegularFile(NativePath(path), bytes)) return {};
    return LookupProfileValue(bytes, section, key);
  } catch (...) {
    // bad_alloc on a huge file is just another unreadable file.
    return {};
  }
}

}  // namespace platform
