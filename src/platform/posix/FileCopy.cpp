#include "platform/FileCopy.h"

#include <errno.h>
#include <fcntl.h>
#include <grp.h>
#include <pwd.h>
#include <stdlib.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <memory>
#include <random>
#include <vector>

#include "platform/Platform.h"

namespace platform {
namespace {

int Fd(std::intptr_t handle) { return static_cast<int>(handle); }

std::string Directory(const std::string& path) {
  const auto slash = path.find_last_of('/');
  if (slash == std::string::npos) return ".";
  return slash == 0 ? std::string("/") : path.substr(0, slash);
}

// A name nobody else is likely to take; O_EXCL settles any clash.
std::string TemporaryName(const std::string& dir) {
  static unsigned counter = 0;
  std::uint64_t bits =
      static_cast<std::uint64_t>(std::chrono::steady_clock::now().time_since_epoch().count()) ^
      (static_cast<std::uint64_t>(getpid()) << 32) ^ ++counter;
  try {
    std::random_device rd;
    bits ^= (static_cast<std::uint64_t>(rd()) << 32) | rd();
  } catch (...) {
    // The clock and the counter will do.
  }
  char name[32];
  std::snprintf(name, sizeof name, ".skd-%016llx.tmp", static_cast<unsigned long long>(bits));
  return (dir == "/" ? dir : dir + "/") + name;
}

// The file a path names, through any symbolic links, so that replacing it
// keeps the links. A dangling link is replaced itself.
std::string ResolveLinks(const std::string& path) {
  struct stat st{};
  if (lstat(path.c_str(), &st) != 0 || !S_ISLNK(st.st_mode)) return path;
  std::unique_ptr<char, decltype(&free)> real(realpath(path.c_str(), nullptr), &free);
  return real ? std::string(real.get()) : path;
}

// May `uid`, who had the owner's rights to the old file, still read and
// write the new one as it now stands?
bool KeepsAccess(uid_t uid, mode_t oldMode, const struct stat& now) {
  const mode_t had = (oldMode >> 6) & 06;
  mode_t has = now.st_mode & 06;  // as anybody
  if (uid == 0 || now.st_uid == uid) {
    has = had;
  } else if (const passwd* pw = getpwuid(uid)) {
    int n = 64;
    std::vector<gid_t> groups(static_cast<std::size_t>(n));
    if (getgrouplist(pw->pw_name, pw->pw_gid, groups.data(), &n) < 0) {
      groups.resize(static_cast<std::size_t>(n));
      if (getgrouplist(pw->pw_name, pw->pw_gid, groups.data(), &n) < 0) n = 0;
    }
    groups.resize(static_cast<std::size_t>(std::max(n, 0)));
    if (std::find(groups.begin(), groups.end(), now.st_gid) != groups.end())
      has = (now.st_mode >> 3) & 06;
  }
  return (has & had) == had;
}

}  // namespace

bool TSourceFile::Open(const std::string& path) {
  Close();
  // Only a regular file is a source: a FIFO would wait for a writer for
  // ever, a device never end. O_NONBLOCK keeps the open itself from waiting.
  int fd;
  do fd = open(NativePath(path).c_str(), O_RDONLY | O_CLOEXEC | O_NOCTTY | O_NONBLOCK);
  while (fd < 0 && errno == EINTR);
  if (fd < 0) return false;
  struct stat st{};
  if (fstat(fd, &st) != 0 || !S_ISREG(st.st_mode) ||
      fcntl(fd, F_SETFL, fcntl(fd, F_GETFL) & ~O_NONBLOCK) != 0) {
    close(fd);
    errno = EINVAL;
    return false;
  }
  FHandle = fd;
  // Read far ahead: the file is read once, front to back.
  posix_fadvise(fd, 0, 0, POSIX_FADV_SEQUENTIAL);
  return true;
}

std::int64_t TSourceFile::Size() const {
  struct stat st{};
  return FHandle >= 0 && fstat(Fd(FHandle), &st) == 0 ? static_cast<std::int64_t>(st.st_size) : -1;
}

std::int64_t TSourceFile::Read(char* buffer, std::size_t size) {
  for (;;) {
    const ssize_t n = read(Fd(FHandle), buffer, size);
    if (n >= 0) return n;
    if (errno != EINTR) return -1;
  }
}

void TSourceFile::Close() {
  if (FHandle >= 0) close(Fd(FHandle));
  FHandle = -1;
}

TReplacingFile::~TReplacingFile() { Discard(); }

void TReplacingFile::Discard() {
  if (FHandle >= 0) close(Fd(FHandle));
  FHandle = -1;
  if (!FTemporary.empty()) unlink(FTemporary.c_str());
  FTemporary.clear();
  FWritten = FStarted = 0;
}

bool TReplacingFile::Open(const std::string& path) {
  Discard();
  // No name: nothing to replace, and no new file in the current directory.
  if (path.empty()) {
    errno = ENOENT;
    return false;
  }
  FTarget = ResolveLinks(NativePath(path));
  struct stat st{};
  const bool exists = stat(FTarget.c_str(), &st) == 0;
  if (!exists && errno != ENOENT) return false;

  if (exists && S_ISDIR(st.st_mode)) {
    errno = EISDIR;
    return false;
  }
  if (exists && !S_ISREG(st.st_mode)) return OpenInPlace();
  // The rename would replace a file we may not write; refuse as writing
  // into it would.
  if (exists && faccessat(AT_FDCWD, FTarget.c_str(), W_OK, AT_EACCESS) != 0) return false;

  // A file that is there is replaced by a new one only when that keeps it
  // usable for its owner: the server's database must open after the copy.
  // Where the new file cannot keep the owner and group the old owner needs,
  // or the folder takes no new file while the file itself is writable, the
  // file is written in place (written, cut to size, flushed): a copy that
  // works beats one that is refused or locks the server out, though a copy
  // cut short then leaves it half-written.
  const std::string dir = Directory(FTarget);
  for (int attempt = 0; attempt < 100; ++attempt) {
    const std::string name = TemporaryName(dir);
    const int fd = open(name.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC | O_NOCTTY, 0666);
    if (fd < 0) {
      if (errno == EEXIST || errno == EINTR) continue;
      if (exists && (errno == EACCES || errno == EPERM || errno == EROFS)) return OpenInPlace();
      return false;
    }
    FHandle = fd;
    FTemporary = name;
    if (exists) {
      // Owner and group where we may give them, else the group alone.
      if (fchown(fd, st.st_uid, st.st_gid) != 0 && fchown(fd, static_cast<uid_t>(-1), st.st_gid) != 0) {
        // Neither: whether that still serves is judged below.
      }
      fchmod(fd, st.st_mode & 07777);
      struct stat now{};
      if (fstat(fd, &now) != 0 || now.st_gid != st.st_gid || !KeepsAccess(st.st_uid, st.st_mode, now)) {
        Discard();
        return OpenInPlace();
      }
    }
    return true;
  }
  errno = EEXIST;
  return false;
}

bool TReplacingFile::OpenInPlace() {
  // No reader on a FIFO is a failure, not a hang. A regular file is cut to
  // what was written only at Commit: it may be the source itself.
  struct stat st{};
  const bool regular = stat(FTarget.c_str(), &st) == 0 && S_ISREG(st.st_mode);
  const int fd = open(FTarget.c_str(),
                      O_WRONLY | (regular ? 0 : O_TRUNC) | O_NONBLOCK | O_CLOEXEC | O_NOCTTY);
  if (fd < 0) return false;
  fcntl(fd, F_SETFL, fcntl(fd, F_GETFL) & ~O_NONBLOCK);
  FHandle = fd;
  return true;
}

bool TReplacingFile::Reserve(std::int64_t size) {
  if (FHandle < 0) return false;
  const int fd = Fd(FHandle);
  struct stat st{};
  // Only a file written in place has anything to lose; a new file beside it
  // is discarded whole when it runs out of room.
  if (!FTemporary.empty() || size <= 0 || fstat(fd, &st) != 0 || !S_ISREG(st.st_mode)) return true;
  // All of it before the first byte is written over the old content: a
  // disc that cannot take the new file then leaves the old one as it was.
  const int err = posix_fallocate(fd, 0, size);
  if (err == 0) return true;
  // Space reserved past the old end is given back, and the old size with it.
  struct stat now{};
  if (fstat(fd, &now) == 0 && now.st_size != st.st_size && ftruncate(fd, st.st_size) != 0) {
    // Nothing more can be done; the old bytes themselves are untouched.
  }
  close(fd);
  FHandle = -1;
  errno = err;
  return false;
}

std::size_t TReplacingFile::Write(const char* buffer, std::size_t size) {
  std::size_t done = 0;
  while (FHandle >= 0 && done < size) {
    const ssize_t n = write(Fd(FHandle), buffer + done, size - done);
    if (n > 0)
      done += static_cast<std::size_t>(n);
    else if (n < 0 && errno == EINTR)
      continue;
    else
      break;
  }
  FWritten += static_cast<std::int64_t>(done);
  // Start writing back what is written while the copy goes on, so that the
  // flush at the end finds little left to do. Only a start: no waiting here.
  constexpr std::int64_t kWriteBackStep = std::int64_t{8} << 20;
  if (FHandle >= 0 && FWritten - FStarted >= kWriteBackStep) {
#ifdef SYNC_FILE_RANGE_WRITE
    sync_file_range(Fd(FHandle), FStarted, FWritten - FStarted, SYNC_FILE_RANGE_WRITE);
#endif
    FStarted = FWritten;
  }
  return done;
}

bool TReplacingFile::Commit() {
  if (FHandle < 0) return false;
  if (FTemporary.empty()) {
    // In place: nothing to move. A regular file's data must reach the disk;
    // a device's flush and close status say nothing.
    const int fd = Fd(FHandle);
    FHandle = -1;
    struct stat st{};
    const bool regular = fstat(fd, &st) == 0 && S_ISREG(st.st_mode);
    const off_t written = lseek(fd, 0, SEEK_CUR);
    const bool flushed = !regular || (written >= 0 && ftruncate(fd, written) == 0 && fsync(fd) == 0);
    const bool closed = close(fd) == 0 || !regular;
    return flushed && closed;
  }
  const int fd = Fd(FHandle);
  FHandle = -1;
  // Delayed write errors show up here; the data must be on disk before the
  // name points at it.
  const bool flushed = fsync(fd) == 0;
  const bool closed = close(fd) == 0;
  if (!flushed || !closed || rename(FTemporary.c_str(), FTarget.c_str()) != 0) {
    Discard();
    return false;
  }
  FTemporary.clear();
  // Make the new name itself durable; a failure here loses nothing written.
  const int dirFd = open(Directory(FTarget).c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
  if (dirFd >= 0) {
    fsync(dirFd);
    close(dirFd);
  }
  return true;
}

}  // namespace platform
