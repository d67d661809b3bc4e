#include <gtest/gtest.h>

#include <algorithm>
#include <cstdint>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <functional>
#include <iterator>
#include <optional>
#include <string>
#include <vector>

#include "TestSupport.h"
#include "dbserver/CopyFile.h"

#ifndef _WIN32
#include <grp.h>
#include <signal.h>
#include <sys/mount.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <thread>
#endif

using dbserver::CopyOneFile;
using testing_support::TempDir;
using testing_support::Utf8Path;

namespace fs = std::filesystem;

namespace {

fs::path U8(const std::string& s) { return fs::path(std::u8string(s.begin(), s.end())); }

// Bytes that differ from block to block, so a lost, doubled or shifted
// block shows.
std::string Pattern(std::size_t size, unsigned seed = 1) {
  std::string s(size, '\0');
  std::uint64_t x = seed * 0x9E3779B97F4A7C15u + 1;
  for (std::size_t i = 0; i < size; i += 8) {
    x = x * 6364136223846793005u + 1442695040888963407u;
    const std::uint64_t v = x ^ (x >> 29);
    std::memcpy(&s[i], &v, std::min<std::size_t>(8, size - i));
  }
  return s;
}

// The file's content, or nothing when there is no such file.
std::optional<std::string> Content(const fs::path& p) {
  std::error_code ec;
  if (!fs::is_regular_file(p, ec)) return std::nullopt;
  std::ifstream in(p, std::ios::binary);
  std::string bytes(static_cast<std::size_t>(fs::file_size(p)), '\0');
  in.read(bytes.data(), static_cast<std::streamsize>(bytes.size()));
  return bytes;
}

// Content as a failure message can show it: size and checksum.
std::string Describe(const std::optional<std::string>& bytes) {
  if (!bytes) return "no file";
  return std::to_string(bytes->size()) + " bytes, hash " +
         std::to_string(std::hash<std::string>{}(*bytes));
}

std::string Held(const fs::path& p) { return Describe(Content(p)); }

void WriteFile(const fs::path& p, const std::string& bytes) {
  std::ofstream(p, std::ios::binary | std::ios::trunc)
      .write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
}

std::vector<std::string> Names(const fs::path& dir) {
  std::vector<std::string> names;
  for (const auto& e : fs::directory_iterator(dir)) names.push_back(Utf8Path(e.path().filename()));
  std::sort(names.begin(), names.end());
  return names;
}

const std::string kSource = "исходная база.gdb";
const std::string kDest = "DIZ_JSC копия.GDB";

struct SizeCase {
  std::size_t size;
  bool destExists;
};

class CopySizes : public ::testing::TestWithParam<SizeCase> {};

TEST_P(CopySizes, DestinationHoldsExactlyTheSource) {
  const auto [size, destExists] = GetParam();
  TempDir dir;
  const std::string data = Pattern(size);
  WriteFile(dir.Path() / U8(kSource), data);
  if (destExists) WriteFile(dir.Path() / U8(kDest), Pattern(100000, 2));

  EXPECT_TRUE(CopyOneFile(dir.Dir() + kSource, dir.Dir() + kDest));
  EXPECT_EQ(Held(dir.Path() / U8(kDest)), Describe(data));
  EXPECT_EQ(Held(dir.Path() / U8(kSource)), Describe(data));
  // Nothing else is left in the folder.
  EXPECT_EQ(Names(dir.Path()), (std::vector<std::string>{kDest, kSource}));
}

INSTANTIATE_TEST_SUITE_P(
    CopyOneFile, CopySizes,
    ::testing::Values(SizeCase{0, false}, SizeCase{0, true}, SizeCase{1, false},
                      SizeCase{16383, true}, SizeCase{16384, false}, SizeCase{16384, true},
                      SizeCase{16385, false}, SizeCase{16385, true}, SizeCase{3 * 16384 + 5, true},
                      SizeCase{64u << 20, false}, SizeCase{64u << 20, true}),
    [](const auto& info) {
      return std::to_string(info.param.size) + (info.param.destExists ? "_over_old" : "_new");
    });

// Every failure leaves the destination as it was and no stray file behind.
TEST(CopyOneFile, FailuresLeaveTheDestinationAsItWas) {
  struct Case {
    const char* name;
    // Prepares the folder; returns source and destination.
    std::function<std::pair<std::string, std::string>(const TempDir&)> setup;
  };
  const Case cases[] = {
      {"missing source",
       [](const TempDir& d) {
         return std::pair{d.Dir() + "нет такого.gdb", d.Dir() + kDest};
       }},
      {"missing destination folder",
       [](const TempDir& d) {
         return std::pair{d.Dir() + kSource, d.Dir() + "нет папки" + d.Dir().back() + kDest};
       }},
      {"source is a folder",
       [](const TempDir& d) {
         d.MakeDir("папка");
         return std::pair{d.Dir() + "папка", d.Dir() + kDest};
       }},
      {"destination is a folder",
       [](const TempDir& d) {
         d.MakeDir("целевая папка");
         return std::pair{d.Dir() + kSource, d.Dir() + "целевая папка"};
       }},
      {"empty source name",
       [](const TempDir& d) {
         return std::pair{std::string(), d.Dir() + kDest};
       }},
      {"empty destination name",
       [](const TempDir& d) {
         return std::pair{d.Dir() + kSource, std::string()};
       }},
#ifndef _WIN32
      // Opening it would wait for a writer for ever.
      {"source is a FIFO",
       [](const TempDir& d) {
         mkfifo((d.Dir() + "канал").c_str(), 0600);
         return std::pair{d.Dir() + "канал", d.Dir() + kDest};
       }},
#endif
  };
  for (const auto& c : cases) {
    for (const bool destExists : {false, true}) {
      SCOPED_TRACE(std::string(c.name) + (destExists ? ", over an old file" : ""));
      TempDir dir;
      WriteFile(dir.Path() / U8(kSource), Pattern(40000));
      const std::string old = Pattern(30000, 3);
      if (destExists) WriteFile(dir.Path() / U8(kDest), old);
      const auto [src, dst] = c.setup(dir);
      const auto afterSetup = Names(dir.Path());

      EXPECT_FALSE(CopyOneFile(src, dst));
      EXPECT_EQ(Held(dir.Path() / U8(kDest)),
                Describe(destExists ? std::optional<std::string>(old) : std::nullopt));
      EXPECT_EQ(Names(dir.Path()), afterSetup);
    }
  }
}

TEST(CopyOneFile, CopyOntoItselfKeepsTheContent) {
  TempDir dir;
  const std::string data = Pattern(50000);
  WriteFile(dir.Path() / U8(kDest), data);
  EXPECT_TRUE(CopyOneFile(dir.Dir() + kDest, dir.Dir() + kDest));
  EXPECT_EQ(Held(dir.Path() / U8(kDest)), Describe(data));
  EXPECT_EQ(Names(dir.Path()), (std::vector<std::string>{kDest}));
}

// The database command builds its paths with backslashes; on every platform
// they separate folders.
TEST(CopyOneFile, BackslashSeparatesFolders) {
  TempDir dir;
  dir.MakeDir("UDF");
  const std::string data = Pattern(20000);
  WriteFile(dir.Path() / "UDF" / U8(kSource), data);
  EXPECT_TRUE(CopyOneFile(dir.Dir() + "UDF\\" + kSource, dir.Dir() + "UDF\\" + kDest));
  EXPECT_EQ(Held(dir.Path() / "UDF" / U8(kDest)), Describe(data));
}

TEST(CopyOneFile, PathLongerThanTheOldLimit) {
  TempDir dir;
  std::string rel;
  for (int i = 0; i < 6; ++i) rel += std::string(50, static_cast<char>('a' + i)) + dir.Dir().back();
#ifdef _WIN32
  const std::string base = "\\\\?\\" + dir.Dir();
#else
  const std::string base = dir.Dir();
#endif
  fs::create_directories(U8(base + rel));
  const std::string src = base + rel + kSource, dst = base + rel + kDest;
  ASSERT_GT(dst.size(), 300u);
  const std::string data = Pattern(70000);
  WriteFile(U8(src), data);
  EXPECT_TRUE(CopyOneFile(src, dst));
  EXPECT_EQ(Held(U8(dst)), Describe(data));
}

#ifdef _WIN32

// The server's file marked read-only is not replaced behind its back.
TEST(CopyOneFile, ReadOnlyDestinationIsRefused) {
  TempDir dir;
  WriteFile(dir.Path() / U8(kSource), Pattern(5000));
  const std::string old = Pattern(3000, 6);
  WriteFile(dir.Path() / U8(kDest), old);
  fs::permissions(dir.Path() / U8(kDest),
                  fs::perms::owner_read | fs::perms::group_read | fs::perms::others_read);
  EXPECT_FALSE(CopyOneFile(dir.Dir() + kSource, dir.Dir() + kDest));
  EXPECT_EQ(Held(dir.Path() / U8(kDest)), Describe(old));
  EXPECT_EQ(Names(dir.Path()), (std::vector<std::string>{kDest, kSource}));
  fs::permissions(dir.Path() / U8(kDest), fs::perms::owner_write, fs::perm_options::add);
}

// A device takes the bytes in place: no new file next to it.
TEST(CopyOneFile, NulDeviceTakesTheCopyInPlace) {
  TempDir dir;
  WriteFile(dir.Path() / U8(kSource), Pattern(40000));
  const fs::path cwd = fs::current_path();
  fs::current_path(dir.Path());
  const bool copied = CopyOneFile(dir.Dir() + kSource, "NUL");
  fs::current_path(cwd);
  EXPECT_TRUE(copied);
  EXPECT_EQ(Names(dir.Path()), (std::vector<std::string>{kSource}));
}

#else

// Runs `body` in a forked child and returns its exit status (waitpid form).
int InChild(const std::function<int()>& body) {
  const pid_t pid = fork();
  if (pid == 0) _exit(body());
  int status = 0;
  waitpid(pid, &status, 0);
  return status;
}

std::vector<std::string> TemporaryFiles(const fs::path& dir) {
  std::vector<std::string> found;
  for (const auto& name : Names(dir))
    if (name.starts_with(".skd-")) found.push_back(name);
  return found;
}

TEST(CopyOneFile, FullDeviceIsAFailedCopyAndStaysADevice) {
  TempDir dir;
  WriteFile(dir.Path() / U8(kSource), Pattern(40000));
  struct stat before{};
  struct stat after{};
  ASSERT_EQ(stat("/dev/full", &before), 0);
  const auto devBefore = TemporaryFiles("/dev");

  EXPECT_FALSE(CopyOneFile(dir.Dir() + kSource, "/dev/full"));
  ASSERT_EQ(stat("/dev/full", &after), 0);
  EXPECT_TRUE(S_ISCHR(after.st_mode));
  EXPECT_EQ(after.st_rdev, before.st_rdev);
  EXPECT_EQ(TemporaryFiles("/dev"), devBefore);
}

TEST(CopyOneFile, NullDeviceTakesTheCopyInPlace) {
  TempDir dir;
  WriteFile(dir.Path() / U8(kSource), Pattern(40000));
  EXPECT_TRUE(CopyOneFile(dir.Dir() + kSource, "/dev/null"));
  struct stat st{};
  ASSERT_EQ(stat("/dev/null", &st), 0);
  EXPECT_TRUE(S_ISCHR(st.st_mode));
}

// The server's file written in place on a file system too small for the
// new one: the whole size is asked for first, so the old file stays.
TEST(CopyOneFile, OutOfSpaceInPlaceKeepsTheOldFile) {
  if (geteuid() != 0) GTEST_SKIP() << "needs root to mount a small file system";
  TempDir dir;
  const fs::path small = dir.Path() / "small";
  fs::create_directory(small);
  if (mount("tmpfs", small.c_str(), "tmpfs", 0, "size=1m,mode=0755") != 0)
    GTEST_SKIP() << "cannot mount a tmpfs here";
  const std::string source = Pattern(2u << 20), old = Pattern(200000, 7);
  WriteFile(dir.Path() / U8(kSource), source);
  ASSERT_EQ(chmod(dir.Dir().c_str(), 0755), 0);
  ASSERT_EQ(chmod((dir.Dir() + kSource).c_str(), 0644), 0);
  const std::string dest = small.string() + "/DIZ_JSC.GDB";
  WriteFile(dest, old);
  ASSERT_EQ(chmod(dest.c_str(), 0666), 0);  // writable, in a folder that takes no new file
  const int status = InChild([&] {
    if (setgid(65534) != 0 || setuid(65534) != 0) return 3;
    return CopyOneFile(dir.Dir() + kSource, dest) ? 1 : 0;
  });
  EXPECT_EQ(Held(dest), Describe(old));
  umount2(small.c_str(), MNT_DETACH);
  ASSERT_TRUE(WIFEXITED(status));
  EXPECT_EQ(WEXITSTATUS(status), 0) << "1: reported success, 3: could not become nobody";
}

TEST(CopyOneFile, FifoDestination) {
  TempDir dir;
  const std::string data = Pattern(100000);
  WriteFile(dir.Path() / U8(kSource), data);
  const std::string fifo = dir.Dir() + "канал";
  ASSERT_EQ(mkfifo(fifo.c_str(), 0600), 0);

  // Nobody reading: a failure at once, not a hang.
  EXPECT_FALSE(CopyOneFile(dir.Dir() + kSource, fifo));

  std::string received;
  std::thread reader([&] {
    std::ifstream in(U8(fifo), std::ios::binary);
    received.assign(std::istreambuf_iterator<char>(in), {});
  });
  // The reader must have the FIFO open before the copy opens it.
  bool copied = false;
  for (int i = 0; i < 500 && !copied; ++i) {
    copied = CopyOneFile(dir.Dir() + kSource, fifo);
    if (!copied) std::this_thread::sleep_for(std::chrono::milliseconds(10));
  }
  reader.join();
  EXPECT_TRUE(copied);
  EXPECT_TRUE(received == data);
  EXPECT_TRUE(TemporaryFiles(dir.Path()).empty());
}

TEST(CopyOneFile, WriteErrorKeepsTheOldDestination) {
  TempDir dir;
  WriteFile(dir.Path() / U8(kSource), Pattern(1 << 20));
  const std::string old = Pattern(30000, 4);
  WriteFile(dir.Path() / U8(kDest), old);
  const std::string src = dir.Dir() + kSource, dst = dir.Dir() + kDest;

  // Files may grow to 100000 bytes: the new file hits that limit.
  const int status = InChild([&] {
    signal(SIGXFSZ, SIG_IGN);
    const rlimit limit{100000, 100000};
    if (setrlimit(RLIMIT_FSIZE, &limit) != 0) return 3;
    return CopyOneFile(src, dst) ? 1 : 0;
  });
  ASSERT_TRUE(WIFEXITED(status));
  EXPECT_EQ(WEXITSTATUS(status), 0) << "1: reported success, 3: no limit";
  EXPECT_EQ(Held(dir.Path() / U8(kDest)), Describe(old));
  EXPECT_EQ(Names(dir.Path()), (std::vector<std::string>{kDest, kSource}));
}

// A copy killed midway leaves the old destination (or none), never a part.
TEST(CopyOneFile, KilledCopyLeavesNoPartialDestination) {
  TempDir dir;
  WriteFile(dir.Path() / U8(kSource), Pattern(256u << 20));
  const std::string old = Pattern(30000, 5);
  WriteFile(dir.Path() / U8(kDest), old);
  const std::string newDest = "новая база.gdb";

  for (const bool destExists : {false, true}) {
    SCOPED_TRACE(destExists ? "over an old file" : "new file");
    const std::string name = destExists ? kDest : newDest;
    const std::string src = dir.Dir() + kSource, dst = dir.Dir() + name;

    const pid_t pid = fork();
    if (pid == 0) _exit(CopyOneFile(src, dst) ? 0 : 1);
    // Kill it once the new file has grown past a few blocks.
    bool midway = false;
    for (int i = 0; i < 5000 && !midway; ++i) {
      for (const auto& temp : TemporaryFiles(dir.Path())) {
        std::error_code ec;
        if (fs::file_size(dir.Path() / temp, ec) > (1u << 20)) midway = true;
      }
      if (!midway) std::this_thread::sleep_for(std::chrono::milliseconds(1));
    }
    kill(pid, SIGKILL);
    int status = 0;
    waitpid(pid, &status, 0);
    ASSERT_TRUE(midway) << "the copy never got under way";
    ASSERT_TRUE(WIFSIGNALED(status)) << "the copy ended before it was killed";

    EXPECT_EQ(Held(dir.Path() / U8(name)),
              Describe(destExists ? std::optional<std::string>(old) : std::nullopt));
    // What the killed copy left is its own hidden file, nothing under a
    // name anyone reads.
    const auto temps = TemporaryFiles(dir.Path());
    EXPECT_EQ(temps.size(), 1u);
    for (const auto& temp : temps) fs::remove(dir.Path() / temp);
    EXPECT_EQ(Names(dir.Path()), (std::vector<std::string>{kDest, kSource}));
  }
}

TEST(CopyOneFile, PermissionsOfNewAndReplacedFiles) {
  TempDir dir;
  WriteFile(dir.Path() / U8(kSource), Pattern(1000));
  const mode_t mask = umask(022);
  umask(mask);

  ASSERT_TRUE(CopyOneFile(dir.Dir() + kSource, dir.Dir() + kDest));
  struct stat st{};
  ASSERT_EQ(stat((dir.Dir() + kDest).c_str(), &st), 0);
  EXPECT_EQ(st.st_mode & 07777, 0666 & ~mask);

  // The server reads its files under its own permissions: they stay.
  ASSERT_EQ(chmod((dir.Dir() + kDest).c_str(), 0640), 0);
  ASSERT_TRUE(CopyOneFile(dir.Dir() + kSource, dir.Dir() + kDest));
  ASSERT_EQ(stat((dir.Dir() + kDest).c_str(), &st), 0);
  EXPECT_TRUE(S_ISREG(st.st_mode));
  EXPECT_EQ(st.st_mode & 07777, 0640u);
}

// The copy runs as an ordinary user (root is let through everywhere) who
// may write through a group of the server's: `nobody` with that group. The
// server's account (an id without a name) must still reach its file after the
// copy, so a file the new one could not keep for it is written in place.
TEST(CopyOneFile, OrdinaryUserAndTheServersFile) {
  if (geteuid() != 0) GTEST_SKIP() << "needs root to make the files of another user";
  const uid_t nobody = 65534, server = 54320;
  const gid_t group = 54321;
  TempDir dir;
  const std::string source = Pattern(5000), old = Pattern(3000, 6);
  WriteFile(dir.Path() / U8(kSource), source);
  ASSERT_EQ(chmod((dir.Dir() + kSource).c_str(), 0644), 0);
  const std::string dest = dir.Dir() + kDest;

  enum Outcome { Refused, InPlace, Replaced };
  struct Case {
    const char* name;
    mode_t dirMode;
    uid_t destOwner;
    mode_t destMode;
    Outcome outcome;
    bool ontoItself = false;
  } cases[] = {
      {"read-only file", 0777, 0, 0444, Refused},
      {"folder takes no new file", 0755, 0, 0666, InPlace},
      {"onto itself, folder takes no new file", 0755, 0, 0666, InPlace, true},
      {"the server's file, group-writable folder", 0775, server, 0660, InPlace},
      {"our own file", 0775, nobody, 0640, Replaced},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    WriteFile(dir.Path() / U8(kDest), old);
    ASSERT_EQ(chown(dir.Path().c_str(), 0, group), 0);
    ASSERT_EQ(chmod(dir.Path().c_str(), c.dirMode), 0);
    ASSERT_EQ(chown(dest.c_str(), c.destOwner, group), 0);
    ASSERT_EQ(chmod(dest.c_str(), c.destMode), 0);
    struct stat before{}, after{};
    ASSERT_EQ(stat(dest.c_str(), &before), 0);
    const int status = InChild([&] {
      if (setgroups(1, &group) != 0 || setgid(nobody) != 0 || setuid(nobody) != 0) return 3;
      return CopyOneFile(c.ontoItself ? dest : dir.Dir() + kSource, dest) ? 1 : 0;
    });
    ASSERT_TRUE(WIFEXITED(status));
    EXPECT_EQ(WEXITSTATUS(status), c.outcome == Refused ? 0 : 1) << "1: copied, 3: could not become nobody";
    EXPECT_EQ(Held(dir.Path() / U8(kDest)),
              Describe(c.outcome == Refused || c.ontoItself ? old : source));
    ASSERT_EQ(stat(dest.c_str(), &after), 0);
    EXPECT_EQ(after.st_ino == before.st_ino, c.outcome != Replaced);
    EXPECT_EQ(after.st_uid, c.destOwner);
    EXPECT_EQ(after.st_gid, group);
    EXPECT_EQ(after.st_mode & 07777, c.destMode);
    EXPECT_EQ(Names(dir.Path()), (std::vector<std::string>{kDest, kSource}));
  }
  chmod(dir.Path().c_str(), 0755);
}

TEST(CopyOneFile, SymbolicLinkDestinationStaysALink) {
  TempDir dir;
  dir.MakeDir("server");
  const std::string data = Pattern(20000);
  WriteFile(dir.Path() / U8(kSource), data);
  WriteFile(dir.Path() / "server" / "real.gdb", Pattern(100, 7));
  fs::create_symlink(dir.Path() / "server" / "real.gdb", dir.Path() / U8(kDest));

  EXPECT_TRUE(CopyOneFile(dir.Dir() + kSource, dir.Dir() + kDest));
  EXPECT_TRUE(fs::is_symlink(dir.Path() / U8(kDest)));
  EXPECT_EQ(Held(dir.Path() / "server" / "real.gdb"), Describe(data));
  EXPECT_EQ(Names(dir.Path() / "server"), (std::vector<std::string>{"real.gdb"}));
}

#endif  // _WIN32

}  // namespace
