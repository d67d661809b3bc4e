// Preloaded into the FUSE daemon that serves a disc image (fuseiso, which
// reads the image with lseek64 and read): appends one line per read of the
// image file named by SKD_READLOG_IMAGE to the file SKD_READLOG_OUT,
// "seconds offset bytes", seconds on the monotonic clock. So the bench sees
// what a drive would be asked for, and when.

#include "Clock.h"

#include <dlfcn.h>
#include <fcntl.h>
#include <unistd.h>

#include <atomic>
#include <cstdarg>
#include <cstdio>
#include <cstdlib>
#include <cstring>

namespace {

using Open = int (*)(const char*, int, ...);
using Read = ssize_t (*)(int, void*, size_t);

std::atomic<int> imageFd{-1};
int logFd = -1;

template <typename F>
F Next(const char* name) {
  return reinterpret_cast<F>(dlsym(RTLD_NEXT, name));
}

int OpenLogged(const char* name, const char* path, int flags, mode_t mode) {
  static const Open real = Next<Open>(name);
  const int fd = real(path, flags, mode);
  const char* image = std::getenv("SKD_READLOG_IMAGE");
  const char* out = std::getenv("SKD_READLOG_OUT");
  if (fd >= 0 && image && out && std::strcmp(path, image) == 0) {
    if (logFd < 0) logFd = real(out, O_WRONLY | O_CREAT | O_APPEND | O_CLOEXEC, 0644);
    imageFd = fd;
  }
  return fd;
}

}  // namespace

extern "C" int open64(const char* path, int flags, ...) {
  mode_t mode = 0;
  if (flags & O_CREAT) {
    va_list args;
    va_start(args, flags);
    mode = static_cast<mode_t>(va_arg(args, int));
    va_end(args);
  }
  return OpenLogged("open64", path, flags, mode);
}

extern "C" int open(const char* path, int flags, ...) {
  mode_t mode = 0;
  if (flags & O_CREAT) {
    va_list args;
    va_start(args, flags);
    mode = static_cast<mode_t>(va_arg(args, int));
    va_end(args);
  }
  return OpenLogged("open", path, flags, mode);
}

extern "C" ssize_t read(int fd, void* buf, size_t count) {
  static const Read real = Next<Read>("read");
  if (fd < 0 || fd != imageFd || logFd < 0) return real(fd, buf, count);
  // The daemon seeks and reads under one lock: the position is the read's.
  const off_t at = lseek(fd, 0, SEEK_CUR);
  const ssize_t n = real(fd, buf, count);
  if (n > 0) {
    char line[96];
    const int len = std::snprintf(line, sizeof line, "%.6f %lld %zd\n", Now(),
                                  static_cast<long long>(at), n);
    if (len > 0 && write(logFd, line, static_cast<size_t>(len)) < 0) {
      // Nothing to do: a lost line shows as a shorter count.
    }
  }
  return n;
}
