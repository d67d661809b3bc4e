#include "platform/Profile.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <time.h>

#include <algorithm>
#include <cerrno>
#include <memory>
#include <mutex>

#include "platform/Platform.h"
#include "platform/ProfileParser.h"
#include "platform/TextDecode.h"

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

// What says that a file is still the one read before: the same file (device
// and inode), size and times. ctime moves on every write and cannot be set
// back, so a file rewritten to the same size and mtime still differs.
struct FileIdentity {
  dev_t Device = 0;
  ino_t Inode = 0;
  off_t Size = -1;
  timespec Modified{}, Changed{};
  bool operator==(const FileIdentity& o) const {
    return Device == o.Device && Inode == o.Inode && Size == o.Size &&
           Modified.tv_sec == o.Modified.tv_sec && Modified.tv_nsec == o.Modified.tv_nsec &&
           Changed.tv_sec == o.Changed.tv_sec && Changed.tv_nsec == o.Changed.tv_nsec;
  }
};

FileIdentity IdentityOf(const struct stat& st) {
  return {st.st_dev, st.st_ino, st.st_size, st.st_mtim, st.st_ctim};
}

// The decoded text of the file read last, with its sections found. Every
// value of the first window is read from the same file, and decoding and
// walking a large one for each of them is what made the menu slow to open;
// Windows keeps its copy the same way.
struct DecodedFile {
  FileIdentity Identity;
  std::shared_ptr<const ProfileIndex> Text;
};
std::mutex g_cacheMutex;
DecodedFile g_cache;

// A file changed within the last moments may change again within the same
// tick of the file system's clock, unseen by its times: such a file is
// decoded anew on every read until it has been left alone a while.
bool SettledLongEnough(const struct stat& st) {
  timespec now{};
  clock_gettime(CLOCK_REALTIME, &now);
  return now.tv_sec - st.st_mtim.tv_sec >= 2;
}

// The whole content of a regular file. Anything else (FIFO, device,
// directory) is refused before reading: those can block or never end.
// `cached` is set instead when the file is the one decoded last.
bool ReadRegularFile(const std::string& path, std::string& out,
                     std::shared_ptr<const ProfileIndex>& cached, struct stat& st) {
  // Checked before opening too, so that a device is never even opened.
  if (::stat(path.c_str(), &st) != 0 || !S_ISREG(st.st_mode)) return false;
  // The file decoded last, unchanged: not opened again for each value.
  {
    std::lock_guard<std::mutex> lock(g_cacheMutex);
    if (g_cache.Text && g_cache.Identity == IdentityOf(st)) {
      cached = g_cache.Text;
      return true;
    }
  }

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
    std::shared_ptr<const ProfileIndex> text;
    struct stat st {};
    if (!ReadRegularFile(NativePath(path), bytes, text, st)) return {};
    if (!text) {
      // The file as read: its times may have moved while it was read.
      const auto decoded = std::make_shared<const ProfileIndex>(DecodeProfileText(bytes));
      std::string().swap(bytes);
      text = decoded;
      struct stat now {};
      if (::stat(NativePath(path).c_str(), &now) == 0 && IdentityOf(now) == IdentityOf(st) &&
          SettledLongEnough(now)) {
        std::lock_guard<std::mutex> lock(g_cacheMutex);
        g_cache = {IdentityOf(now), decoded};
      }
    }
    return text->Lookup(section, key);
  } catch (...) {
    // bad_alloc on a huge file is just another unreadable file.
    return {};
  }
}

}  // namespace platform
