// The disc's `skdsetup`: starts the menu, which lies in linux/ beside it as
// a library (libskdsetup.so, with Qt and what Qt needs). A CD pays about a
// tenth of a second for each separate read, so the libraries a start needs
// also lie in linux/libs.tar.zst, compressed, in one piece; read in one sweep
// and unpacked into the runtime folder (a tmpfs, i.e. memory), they are
// loaded from there. Whatever stands in the way (no such folder, not a
// tmpfs, a noexec mount, no room, no libzstd, a broken pack) leaves the
// libraries where they are on the disc. The program stays this file, so the
// menu's folder is the disc's root either way.
//
// The unpack lives as long as the menu: a folder of its own, locked while
// the menu runs. A helper process waits for that lock and removes the folder
// once the menu has ended, whichever way; should the helper die too, the
// next start finds the folder unlocked and removes it. Nothing unpacked is
// ever used by another start.

#include <dirent.h>
#include <dlfcn.h>
#include <fcntl.h>
#include <signal.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <sys/statfs.h>
#include <sys/statvfs.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

namespace {

constexpr const char* kPack = "libs.tar.zst";
constexpr const char* kMenu = "libskdsetup.so";
constexpr const char* kPrefix = "skdsetup-";  // unpack folders in the runtime folder
constexpr long kTmpfsMagic = 0x01021994;
// Left free in the runtime folder beside the unpack: others live there too.
constexpr unsigned long long kSpare = 16ull << 20;

std::string Parent(const std::string& path) {
  const auto slash = path.rfind('/');
  return slash == std::string::npos ? "." : slash == 0 ? "/" : path.substr(0, slash);
}

std::string SelfPath() {
  std::vector<char> buf(4096);
  for (;;) {
    const ssize_t n = readlink("/proc/self/exe", buf.data(), buf.size());
    if (n < 0) return {};
    if (static_cast<size_t>(n) < buf.size()) return std::string(buf.data(), static_cast<size_t>(n));
    buf.resize(buf.size() * 2);
  }
}

// Removes what `dir` (a folder fd) holds, links not followed, and closes it.
void RemoveContents(int dir) {
  DIR* d = fdopendir(dir);
  if (!d) {
    close(dir);
    return;
  }
  while (const dirent* e = readdir(d)) {
    if (std::strcmp(e->d_name, ".") == 0 || std::strcmp(e->d_name, "..") == 0) continue;
    if (unlinkat(dirfd(d), e->d_name, 0) == 0 || errno != EISDIR) continue;
    const int sub = openat(dirfd(d), e->d_name, O_RDONLY | O_DIRECTORY | O_NOFOLLOW | O_CLOEXEC);
    if (sub >= 0) RemoveContents(sub);
    unlinkat(dirfd(d), e->d_name, AT_REMOVEDIR);
  }
  closedir(d);
}

void RemoveTree(int parent, const char* name) {
  const int dir = openat(parent, name, O_RDONLY | O_DIRECTORY | O_NOFOLLOW | O_CLOEXEC);
  if (dir >= 0) RemoveContents(dir);
  unlinkat(parent, name, AT_REMOVEDIR);
}

// Unpacks of starts that have ended (their lock is free) go; the lock is
// held while one goes, so that no start can take it meanwhile.
void RemoveStale(int runtime) {
  const int scan = dup(runtime);
  DIR* d = scan >= 0 ? fdopendir(scan) : nullptr;
  if (!d) {
    if (scan >= 0) close(scan);
    return;
  }
  std::vector<std::string> names;
  while (const dirent* e = readdir(d))
    if (std::strncmp(e->d_name, kPrefix, std::strlen(kPrefix)) == 0) names.emplace_back(e->d_name);
  closedir(d);
  for (const std::string& name : names) {
    const int fd = openat(runtime, name.c_str(), O_RDONLY | O_DIRECTORY | O_NOFOLLOW | O_CLOEXEC);
    if (fd < 0) continue;
    if (flock(fd, LOCK_EX | LOCK_NB) == 0) RemoveTree(runtime, name.c_str());
    close(fd);
  }
}

bool ReadAll(const std::string& path, std::vector<char>& bytes) {
  const int fd = open(path.c_str(), O_RDONLY | O_CLOEXEC);
  if (fd < 0) return false;
  struct stat st{};
  bool ok = fstat(fd, &st) == 0 && S_ISREG(st.st_mode) && st.st_size > 0;
  if (ok) {
    posix_fadvise(fd, 0, 0, POSIX_FADV_SEQUENTIAL);
    bytes.resize(static_cast<size_t>(st.st_size));
    size_t got = 0;
    while (ok && got < bytes.size()) {
      const ssize_t n = read(fd, bytes.data() + got, bytes.size() - got);
      if (n < 0 && errno == EINTR) continue;
      ok = n > 0;
      if (ok) got += static_cast<size_t>(n);
    }
  }
  close(fd);
  return ok;
}

// zstd of the machine (every desktop has it: systemd needs it); without it
// the disc serves.
struct Zstd {
  using ContentSize = unsigned long long (*)(const void*, size_t);
  using Decompress = size_t (*)(void*, size_t, const void*, size_t);
  using IsError = unsigned (*)(size_t);
  void* Lib = dlopen("libzstd.so.1", RTLD_NOW | RTLD_LOCAL);
  ContentSize Size = Lib ? reinterpret_cast<ContentSize>(dlsym(Lib, "ZSTD_getFrameContentSize")) : nullptr;
  Decompress Unpack = Lib ? reinterpret_cast<Decompress>(dlsym(Lib, "ZSTD_decompress")) : nullptr;
  IsError Failed = Lib ? reinterpret_cast<IsError>(dlsym(Lib, "ZSTD_isError")) : nullptr;
  ~Zstd() {
    if (Lib) dlclose(Lib);
  }
  bool Usable() const { return Size && Unpack && Failed; }
};

// The size a pack unpacks to, from its frame header; 0 when not known.
unsigned long long UnpackedSize(const Zstd& zstd, const std::string& path) {
  const int fd = open(path.c_str(), O_RDONLY | O_CLOEXEC);
  if (fd < 0) return 0;
  char header[18];
  const ssize_t n = pread(fd, header, sizeof header, 0);
  close(fd);
  if (n <= 0) return 0;
  const unsigned long long size = zstd.Size(header, static_cast<size_t>(n));
  // Unknown and error sizes are the top values; a pack is far smaller.
  return size < (1ull << 32) ? size : 0;
}

unsigned long long Octal(const char* field, size_t len) {
  unsigned long long v = 0;
  for (size_t i = 0; i < len && field[i] >= '0' && field[i] <= '7'; ++i) v = v * 8 + (field[i] - '0');
  return v;
}

// A name inside the folder: relative, no "..", no empty part.
bool SafeName(const std::string& name) {
  if (name.empty() || name[0] == '/') return false;
  size_t start = 0;
  while (start <= name.size()) {
    size_t end = name.find('/', start);
    if (end == std::string::npos) end = name.size();
    const std::string part = name.substr(start, end - start);
    if (part == ".." || (part.empty() && end != name.size())) return false;
    start = end + 1;
  }
  return true;
}

bool WriteAll(int fd, const char* data, size_t len) {
  while (len > 0) {
    const ssize_t n = write(fd, data, len);
    if (n < 0 && errno == EINTR) continue;
    if (n <= 0) return false;
    data += n;
    len -= static_cast<size_t>(n);
  }
  return true;
}

// The pack is a ustar archive of linux/: folders, files, and links. A link
// names a file left on the disc (one the start barely touches, such as
// ICU's data): it becomes a link to the disc's copy.
bool Extract(const std::vector<char>& tar, int into, const std::string& discLib) {
  size_t at = 0;
  while (at + 512 <= tar.size()) {
    const char* h = tar.data() + at;
    if (h[0] == '\0') return true;  // the end blocks
    if (std::memcmp(h + 257, "ustar", 5) != 0) return false;
    std::string name(h, strnlen(h, 100));
    const std::string prefix(h + 345, strnlen(h + 345, 155));
    if (!prefix.empty()) name = prefix + "/" + name;
    while (name.size() > 2 && name.compare(0, 2, "./") == 0) name.erase(0, 2);
    if (!name.empty() && name.back() == '/') name.pop_back();
    const unsigned long long size = Octal(h + 124, 12);
    const char type = h[156];
    at += 512;
    if (size > tar.size() - at) return false;
    if (name == "." || name.empty()) {
      at += (size + 511) / 512 * 512;
      continue;
    }
    if (!SafeName(name)) return false;
    if (type == '5') {
      if (mkdirat(into, name.c_str(), 0700) != 0 && errno != EEXIST) return false;
    } else if (type == '2') {
      const std::string target(h + 157, strnlen(h + 157, 100));
      if (!SafeName(target) || symlinkat((discLib + "/" + target).c_str(), into, name.c_str()) != 0)
        return false;
    } else if (type == '0' || type == '\0') {
      const int fd = openat(into, name.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_NOFOLLOW | O_CLOEXEC,
                            0500);
      if (fd < 0) return false;
      const bool ok = WriteAll(fd, tar.data() + at, static_cast<size_t>(size));
      if (close(fd) != 0 || !ok) return false;
    } else {
      return false;
    }
    at += (size + 511) / 512 * 512;
  }
  return false;
}

// The runtime folder when the libraries may be unpacked there: the user's
// own, in memory, programs may run from it, and there is room.
int RuntimeFolder(const std::string& path, unsigned long long need) {
  if (path.empty() || path[0] != '/') return -1;
  const int fd = open(path.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
  if (fd < 0) return -1;
  struct stat st{};
  struct statfs fs{};
  struct statvfs vfs{};
  const bool ok = fstat(fd, &st) == 0 && st.st_uid == getuid() && (st.st_mode & 077) == 0 &&
                  fstatfs(fd, &fs) == 0 && static_cast<long>(fs.f_type) == kTmpfsMagic &&
                  fstatvfs(fd, &vfs) == 0 && !(vfs.f_flag & ST_NOEXEC) &&
                  static_cast<unsigned long long>(vfs.f_bavail) * vfs.f_frsize >= need + kSpare;
  if (ok) return fd;
  close(fd);
  return -1;
}

// The helper: waits, in a process of its own, for the menu to end (its lock
// on the folder to go), then removes the folder. The signals that end the
// menu from a terminal must not end it first.
void StartRemover(int runtime, const std::string& name, int lock) {
  const pid_t child = fork();
  if (child < 0) return;  // the next start removes it
  if (child > 0) {
    while (waitpid(child, nullptr, 0) < 0 && errno == EINTR) {
    }
    return;
  }
  if (fork() != 0) _exit(0);  // the helper is no child of the menu's
  close(lock);
  for (const int sig : {SIGINT, SIGTERM, SIGHUP, SIGQUIT}) signal(sig, SIG_IGN);
  const int null = open("/dev/null", O_RDWR);
  for (int fd = 0; fd < 3; ++fd) dup2(null, fd);
  if (chdir("/") != 0) _exit(1);
  const int dir = openat(runtime, name.c_str(), O_RDONLY | O_DIRECTORY | O_NOFOLLOW | O_CLOEXEC);
  if (dir >= 0 && flock(dir, LOCK_EX) == 0) RemoveTree(runtime, name.c_str());
  _exit(0);
}

struct Unpack {
  std::string Path;  // the runtime folder
  int Runtime = -1;
  std::string Name;  // the unpack's folder in it

  // The libraries of `discLib` unpacked into memory; false leaves nothing.
  // Where they cannot go, the pack is not read.
  bool Make(const std::string& discLib) {
    const Zstd zstd;
    if (!zstd.Usable()) return false;
    const std::string pack = discLib + "/" + kPack;
    const unsigned long long size = UnpackedSize(zstd, pack);
    const char* runtime = std::getenv("XDG_RUNTIME_DIR");
    Path = runtime ? runtime : "";
    if (size == 0 || (Runtime = RuntimeFolder(Path, size)) < 0) return false;
    std::vector<char> tar;
    {
      std::vector<char> packed;
      if (!ReadAll(pack, packed)) return false;
      tar.resize(static_cast<size_t>(size));
      // The frame's checksum is checked on the way: a damaged pack fails.
      const size_t n = zstd.Unpack(tar.data(), tar.size(), packed.data(), packed.size());
      if (zstd.Failed(n) || n != tar.size()) return false;
    }
    RemoveStale(Runtime);
    std::string made = Path + "/" + kPrefix + "XXXXXX";
    if (!mkdtemp(made.data())) return false;
    Name = made.substr(made.rfind('/') + 1);
    // Locked from now until the menu ends. A start that finds it unlocked
    // in between takes it for stale: then this one stays on the disc.
    const int lock = openat(Runtime, Name.c_str(), O_RDONLY | O_DIRECTORY | O_NOFOLLOW | O_CLOEXEC);
    bool ok = lock >= 0 && flock(lock, LOCK_EX | LOCK_NB) == 0 &&
              mkdirat(lock, "linux", 0700) == 0;
    if (ok) {
      const int into = openat(lock, "linux", O_RDONLY | O_DIRECTORY | O_NOFOLLOW | O_CLOEXEC);
      ok = into >= 0 && Extract(tar, into, discLib);
      if (into >= 0) close(into);
    }
    if (!ok) {
      Remove();
      if (lock >= 0) close(lock);
      return false;
    }
    tar = {};
    StartRemover(Runtime, Name, lock);
    return true;  // the lock stays held, and no program started inherits it
  }

  std::string Lib() const { return Path + "/" + Name + "/linux"; }

  void Remove() {
    if (Runtime >= 0 && !Name.empty()) RemoveTree(Runtime, Name.c_str());
    Name.clear();
  }
};

Unpack g_unpack;

void RemoveAtExit() { g_unpack.Remove(); }

}  // namespace

int main(int argc, char** argv) {
  const std::string self = SelfPath();
  if (self.empty()) {
    std::fprintf(stderr, "skdsetup: cannot find its own path\n");
    return 127;
  }
  const std::string discLib = Parent(self) + "/linux";
  std::string lib = discLib;
  std::atexit(RemoveAtExit);
  if (g_unpack.Make(discLib)) lib = g_unpack.Lib();
  void* menu = dlopen((lib + "/" + kMenu).c_str(), RTLD_LAZY | RTLD_GLOBAL);
  if (!menu && lib != discLib) {
    g_unpack.Remove();
    lib = discLib;
    menu = dlopen((lib + "/" + kMenu).c_str(), RTLD_LAZY | RTLD_GLOBAL);
  }
  using Entry = int (*)(int, char**);
  const auto entry = menu ? reinterpret_cast<Entry>(dlsym(menu, "skd_menu_main")) : nullptr;
  if (!entry) {
    std::fprintf(stderr, "skdsetup: %s\n", dlerror());
    return 127;
  }
  return entry(argc, argv);
}
