#include "disc/Image.h"

#include <dirent.h>
#include <fcntl.h>
#include <spawn.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cerrno>
#include <csignal>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <vector>

#include "disc/DiscCheck.h"
#include "platform/ProfileParser.h"
#include "platform/TextDecode.h"

extern char** environ;

namespace disc {

namespace {

// What the image gets beside the author's files: the menus for both systems,
// the Linux menu's libraries and Qt's configuration (from the payload), and
// the files that start the menu when the disc is inserted (made here).
struct Added {
  const char* Name;
  bool FromPayload;
  bool Directory;
  bool Linux;  // left out of a disc for Windows only
};
constexpr Added kAdded[] = {
    {"skdsetup.exe", true, false, false}, {"autorun.inf", false, false, false},
    {"skdsetup", true, false, true},      {"autorun.sh", false, false, true},
    {"linux", true, true, true},
};

// The desktop runs it after asking (autostart of applications after mount).
// $0 is split without a subshell or eval, so any folder name works; only the
// xcb platform is on the disc, and a session's Qt paths must not lead the
// menu's Qt to plugins of another Qt.
constexpr const char* kAutorunSh =
    "#!/bin/sh\n"
    "# Starts the disc's menu, which lies beside this file.\n"
    "case $0 in\n"
    "*/*) dir=${0%/*} ;;\n"
    "*) dir=. ;;\n"
    "esac\n"
    "unset QT_PLUGIN_PATH QT_QPA_PLATFORM_PLUGIN_PATH\n"
    "QT_QPA_PLATFORM=xcb\n"
    "export QT_QPA_PLATFORM\n"
    "exec \"$dir/skdsetup\" \"$@\"\n";

constexpr const char* kNotWritten = "Образ не записан.\n";

// What an interrupted run (SIGINT, SIGTERM, SIGHUP) must undo: the program
// it runs, and the files and folders it has made. Plain arrays, filled
// before each is made, so that the handler only reads them.
constexpr int kSignals[] = {SIGINT, SIGTERM, SIGHUP};
struct Undo {
  volatile sig_atomic_t Child = 0;
  char Paths[8][4096] = {};
  volatile sig_atomic_t Count = 0;
};
Undo g_undo;

extern "C" void OnInterrupt(int sig) {
  if (const pid_t child = g_undo.Child; child > 0) {
    kill(child, SIGKILL);
    while (waitpid(child, nullptr, 0) < 0 && errno == EINTR) {
    }
  }
  // Files first, then the folders they were in.
  for (int i = g_undo.Count - 1; i >= 0; --i) unlink(g_undo.Paths[i]);
  for (int i = g_undo.Count - 1; i >= 0; --i) rmdir(g_undo.Paths[i]);
  signal(sig, SIG_DFL);
  raise(sig);
}

// Handlers for the run of MakeImage, the old ones back after it.
class Interrupts {
 public:
  Interrupts() {
    g_undo.Count = 0;
    g_undo.Child = 0;
    struct sigaction action {};
    action.sa_handler = OnInterrupt;
    sigemptyset(&action.sa_mask);
    for (const int sig : kSignals) sigaddset(&action.sa_mask, sig);
    // An ignored signal (nohup, a background job's SIGINT) stays ignored.
    for (int i = 0; i < 3; ++i) {
      sigaction(kSignals[i], nullptr, &old_[i]);
      if (old_[i].sa_handler != SIG_IGN) sigaction(kSignals[i], &action, nullptr);
    }
  }
  ~Interrupts() {
    for (int i = 0; i < 3; ++i) sigaction(kSignals[i], &old_[i], nullptr);
    g_undo.Count = 0;
  }
  // Before `path` is made.
  static bool Remember(const std::string& path) {
    if (g_undo.Count >= 8 || path.size() >= sizeof g_undo.Paths[0]) return false;
    path.copy(g_undo.Paths[g_undo.Count], path.size());
    g_undo.Paths[g_undo.Count][path.size()] = '\0';
    g_undo.Count = g_undo.Count + 1;
    return true;
  }
  // The handler may not run between a start and its record.
  class Held {
   public:
    Held() {
      sigset_t set;
      sigemptyset(&set);
      for (const int sig : kSignals) sigaddset(&set, sig);
      sigprocmask(SIG_BLOCK, &set, &old);
    }
    ~Held() { sigprocmask(SIG_SETMASK, &old, nullptr); }
    sigset_t old;
  };

 private:
  struct sigaction old_[3];
};

bool IsDirectory(const std::string& path) {
  struct stat st{};
  return stat(path.c_str(), &st) == 0 && S_ISDIR(st.st_mode);
}

bool IsFile(const std::string& path) {
  struct stat st{};
  return stat(path.c_str(), &st) == 0 && S_ISREG(st.st_mode);
}

std::string RealPath(const std::string& path) {
  char* p = realpath(path.c_str(), nullptr);
  if (!p) return {};
  std::string r = p;
  std::free(p);
  return r;
}

std::string Parent(const std::string& path) {
  const auto slash = path.find_last_of('/');
  return slash == std::string::npos ? "." : slash == 0 ? "/" : path.substr(0, slash);
}

// Dated like `like`: made from it, they change when it does, and two images
// of one folder can be alike byte for byte (SOURCE_DATE_EPOCH).
bool WriteFile(const std::string& path, const std::string& bytes, mode_t mode,
               const std::string& like) {
  const int fd = open(path.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, mode);
  if (fd < 0) return false;
  bool ok = write(fd, bytes.data(), bytes.size()) == static_cast<ssize_t>(bytes.size());
  ok = fchmod(fd, mode) == 0 && ok;
  struct stat st{};
  if (stat(like.c_str(), &st) == 0) {
    const timespec times[2] = {st.st_atim, st.st_mtim};
    futimens(fd, times);
  }
  return close(fd) == 0 && ok;
}

// Windows reads a Unicode autorun.inf whatever its code page, so the Cyrillic
// label survives.
std::string AutorunInf(const std::string& caption) {
  std::string text = "[autorun]\r\nopen=skdsetup.exe\r\nicon=skdsetup.exe,0\r\n";
  if (!caption.empty()) text += "label=" + caption + "\r\n";
  std::string bytes = "\xFF\xFE";
  for (const char16_t c : platform::Utf8ToUtf16(text)) {
    bytes += static_cast<char>(c & 0xFF);
    bytes += static_cast<char>(c >> 8);
  }
  return bytes;
}

// Joliet keeps 16 UTF-16 units of the volume id and the ISO descriptor 32
// bytes; a label within both reads the same on Windows and on Linux. Cut
// before a character, never inside one.
std::string FitLabel(const std::string& text, bool& cut) {
  std::size_t end = 0, units = 0;
  while (end < text.size()) {
    const auto c = static_cast<unsigned char>(text[end]);
    const std::size_t want = c >= 0xF0 ? 4 : c >= 0xE0 ? 3 : c >= 0xC0 ? 2 : 1;
    std::size_t len = 1;  // a broken sequence counts byte by byte
    while (len < want && end + len < text.size() &&
           (static_cast<unsigned char>(text[end + len]) & 0xC0) == 0x80)
      ++len;
    const std::size_t need = len == 4 ? 2 : 1;  // a surrogate pair
    if (units + need > 16 || end + len > 32) break;
    units += need;
    end += len;
  }
  cut = end < text.size();
  std::string label = text.substr(0, end);
  while (!label.empty() && label.back() == ' ') label.pop_back();
  return label;
}

// A file or folder removed on leaving, whatever the way out.
struct Scratch {
  std::string Path;
  bool Folder = false;
  ~Scratch() {
    if (Path.empty()) return;
    if (Folder) {
      for (const Added& a : kAdded) unlink((Path + "/" + a.Name).c_str());
      rmdir(Path.c_str());
    } else {
      unlink(Path.c_str());
    }
  }
};

// Runs a program with `args` (no shell); what it says goes to `output`.
// `input` is its standard input (a pipe holding it), /dev/null when empty.
// Returns the wait status, or -1 with errno.
int RunProgram(const std::vector<std::string>& args, std::string& output,
               const std::string& input = {}) {
  std::vector<char*> argv;
  for (const std::string& a : args) argv.push_back(const_cast<char*>(a.c_str()));
  argv.push_back(nullptr);
  int inFd[2] = {-1, -1};
  if (!input.empty()) {
    // The whole input fits in the pipe, so it is written before the start.
    if (pipe2(inFd, O_CLOEXEC) != 0) return -1;
    const bool written = input.size() < 4096 &&
                         write(inFd[1], input.data(), input.size()) ==
                             static_cast<ssize_t>(input.size());
    close(inFd[1]);
    if (!written) {
      close(inFd[0]);
      errno = E2BIG;
      return -1;
    }
  }
  int pipeFd[2];
  if (pipe2(pipeFd, O_CLOEXEC) != 0) {
    if (inFd[0] >= 0) close(inFd[0]);
    return -1;
  }
  posix_spawn_file_actions_t actions;
  posix_spawn_file_actions_init(&actions);
  if (inFd[0] >= 0)
    posix_spawn_file_actions_adddup2(&actions, inFd[0], 0);
  else
    posix_spawn_file_actions_addopen(&actions, 0, "/dev/null", O_RDONLY, 0);
  posix_spawn_file_actions_adddup2(&actions, pipeFd[1], 1);
  posix_spawn_file_actions_adddup2(&actions, pipeFd[1], 2);
  pid_t pid = 0;
  int err = 0;
  {
    const Interrupts::Held held;
    posix_spawnattr_t attr;
    posix_spawnattr_init(&attr);
    sigset_t defaults;
    sigemptyset(&defaults);
    for (const int sig : kSignals) sigaddset(&defaults, sig);
    posix_spawnattr_setsigdefault(&attr, &defaults);
    posix_spawnattr_setsigmask(&attr, &held.old);
    posix_spawnattr_setflags(&attr, POSIX_SPAWN_SETSIGDEF | POSIX_SPAWN_SETSIGMASK);
    err = posix_spawnp(&pid, argv[0], &actions, &attr, argv.data(), environ);
    posix_spawnattr_destroy(&attr);
    if (err == 0) g_undo.Child = pid;
  }
  posix_spawn_file_actions_destroy(&actions);
  if (inFd[0] >= 0) close(inFd[0]);
  close(pipeFd[1]);
  if (err != 0) {
    close(pipeFd[0]);
    errno = err;
    return -1;
  }
  char buf[4096];
  for (;;) {
    const ssize_t n = read(pipeFd[0], buf, sizeof buf);
    if (n > 0) output.append(buf, static_cast<std::size_t>(n));
    else if (n == 0 || errno != EINTR) break;
  }
  close(pipeFd[0]);
  int status = 0;
  while (waitpid(pid, &status, 0) < 0) {
    if (errno != EINTR) {
      g_undo.Child = 0;
      return -1;
    }
  }
  g_undo.Child = 0;
  return status;
}

std::string LastLines(const std::string& text, int count) {
  std::size_t start = text.size();
  if (start && text[start - 1] == '\n') --start;
  while (start > 0 && count > 0) {
    start = text.find_last_of('\n', start - 1);
    if (start == std::string::npos) {
      start = 0;
      break;
    }
    if (--count == 0) ++start;
  }
  std::string tail = text.substr(start);
  if (!tail.empty() && tail.back() != '\n') tail += '\n';
  return tail;
}

// xorriso's warnings worth passing on (a name cut for Joliet, a file it
// could not read); its banner goes, and so do its doubts about the label,
// which is cut to fit here and meant to be read, not mounted by.
std::string Warnings(const std::string& output) {
  std::string kept;
  std::size_t start = 0;
  while (start < output.size()) {
    std::size_t end = output.find('\n', start);
    if (end == std::string::npos) end = output.size();
    const std::string line = output.substr(start, end - start);
    if (line.find(" : WARNING : ") != std::string::npos && line.find("-volid") == std::string::npos)
      kept += line + "\n";
    start = end + 1;
  }
  return kept;
}

// Signs `in` into `out` with the certificate; false with the reason in
// `messages`. The password reaches osslsigncode on its standard input, never
// in a file of ours or on a command line.
bool Sign(const std::string& cert, const std::string& password, const std::string& in,
          const std::string& out, std::string& messages) {
  std::string passwordFile = "/dev/stdin";
  if (const char* file = std::getenv("SKD_SIGN_PASSWORD_FILE"); file && *file) {
    passwordFile = file;
  } else if (password.empty()) {
    messages += "Нет пароля сертификата: задайте SKD_SIGN_PASSWORD_FILE или SKD_SIGN_PASSWORD.\n";
    return false;
  }
  std::vector<std::string> args = {"osslsigncode", "sign", "-pkcs12", cert, "-readpass",
                                   passwordFile, "-h", "sha256", "-n", "skdsetup",
                                   "-in", in, "-out", out};
  if (const char* url = std::getenv("SKD_TIMESTAMP_URL"); url && *url)
    args.insert(args.end() - 4, {"-ts", url});
  else
    messages += "Подпись без отметки времени (не задан SKD_TIMESTAMP_URL): когда срок "
                "сертификата истечёт, Windows перестанет её признавать.\n";
  std::string output;
  const int status = RunProgram(args, output, passwordFile == "/dev/stdin" ? password : "");
  if (status < 0 || !WIFEXITED(status) || WEXITSTATUS(status) != 0) {
    messages += LastLines(output, 10);
    messages += status < 0 && errno == ENOENT
                    ? "Не найдена программа osslsigncode (пакет osslsigncode).\n"
                : status < 0 && errno == E2BIG ? "Пароль сертификата слишком длинный.\n"
                                               : "Не удалось подписать " + in + ".\n";
    return false;
  }
  return true;
}

// Scratch files go where the image cannot take them in: TMPDIR, else /tmp,
// whichever lies outside the disc folder.
std::string ScratchParent(const std::string& disc) {
  const char* tmp = std::getenv("TMPDIR");
  for (const std::string& candidate : {std::string(tmp && *tmp ? tmp : ""), std::string("/tmp")}) {
    const std::string real = candidate.empty() ? std::string() : RealPath(candidate);
    if (!real.empty() && (real + "/").compare(0, disc.size() + 1, disc + "/") != 0) return real;
  }
  return {};
}

}  // namespace

std::string PayloadFolder(const std::string& option) {
  if (!option.empty()) return option;
  if (const char* env = std::getenv("SKD_PAYLOAD"); env && *env) return env;
  std::string self = RealPath("/proc/self/exe");
  return Parent(self) + "/payload";
}

int MakeImage(const std::string& dir, const std::string& iso, const ImageOptions& options,
              std::string& messages) {
  messages.clear();
  const Interrupts interrupts;
  // Read once and kept from every program this run starts.
  const char* given = std::getenv("SKD_SIGN_PASSWORD");
  const std::string password = given ? given : "";
  unsetenv("SKD_SIGN_PASSWORD");
  const Report report = CheckDisc(dir, {options.WindowsOnly});
  if (report.Count(Severity::Error) > 0) {
    messages = FormatText(report) + kNotWritten;
    return 2;
  }
  if (report.Count(Severity::Warning) > 0) messages = FormatText(report);

  // An image inside the folder would be written into itself. A folder given
  // as a link is the folder it names, for xorriso too.
  const std::string disc = RealPath(dir);
  const std::string outDir = RealPath(Parent(iso));
  if (disc.empty() || !IsDirectory(disc)) {
    messages += "Нет папки диска: " + dir + "\n" + kNotWritten;
    return 2;
  }
  if (outDir.empty()) {
    messages += "Нет папки для образа: " + Parent(iso) + "\n" + kNotWritten;
    return 2;
  }
  if ((outDir + "/").compare(0, disc.size() + 1, disc + "/") == 0) {
    messages += "Образ не может лежать в папке диска: " + iso + "\n" + kNotWritten;
    return 2;
  }

  // Windows does not tell letter cases apart, so an author's "Autorun.inf"
  // is the same file as ours.
  std::vector<std::string> names;
  if (DIR* d = opendir(disc.c_str())) {
    while (const dirent* e = readdir(d)) names.emplace_back(e->d_name);
    closedir(d);
  }
  std::vector<const Added*> adding;
  for (const Added& a : kAdded) {
    if (a.Linux && options.WindowsOnly) continue;
    bool kept = false;
    for (const std::string& n : names) {
      if (platform::ProfileNamesEqual(platform::Utf8ToUtf16(n), platform::Utf8ToUtf16(a.Name))) {
        messages += "В папке диска уже есть " + n + ": в образ взят он, свой не добавлен.\n";
        kept = true;
        break;
      }
    }
    if (!kept) adding.push_back(&a);
  }

  const std::string payload = PayloadFolder(options.Payload);
  for (const Added* a : adding) {
    if (!a->FromPayload) continue;
    const std::string path = payload + "/" + a->Name;
    if (!(a->Directory ? IsDirectory(path) : IsFile(path))) {
      messages += "В наборе программ нет " + std::string(a->Name) + ": " + path +
                  "\n(набор задает --payload ПАПКА или SKD_PAYLOAD; его собирает "
                  "scripts/payload.sh)\n" + kNotWritten;
      return 2;
    }
  }

  // Our scratch files must not end up in the image.
  const std::string scratch = ScratchParent(disc);
  if (scratch.empty()) {
    messages += "Временной папки вне папки диска нет (TMPDIR и /tmp внутри неё).\n" +
                std::string(kNotWritten);
    return 2;
  }
  std::string made = scratch + "/skddisc.XXXXXX";
  Scratch madeFolder;
  {
    const Interrupts::Held held;
    if (!mkdtemp(made.data()) || !Interrupts::Remember(made)) {
      messages += "Не удалось создать временную папку: " + made + "\n" + kNotWritten;
      if (made.back() != 'X') rmdir(made.c_str());
      return 2;
    }
    madeFolder.Path = made;
    madeFolder.Folder = true;
  }

  bool cut = false;
  std::string label = FitLabel(options.Label.empty() ? report.Caption : options.Label, cut);
  if (label.empty() && !options.Label.empty()) {
    label = FitLabel(report.Caption, cut);
    messages += "Метка «" + options.Label + "» — одни пробелы; взята метка по заголовку окна «" +
                label + "».\n";
  }
  if (cut) messages += "Метка тома длиннее, чем вмещает диск; записана «" + label + "».\n";
  // xorriso's own label when none is given; Windows shows it as it is.
  if (label.empty()) messages += "Метки тома нет: Windows покажет «ISOIMAGE».\n";

  // Written beside the image and renamed when complete: a failed run leaves
  // the old image, or none.
  std::string part = iso + ".XXXXXX";
  Scratch partFile;
  int fd = -1;
  {
    const Interrupts::Held held;
    fd = mkstemp(part.data());
    if (fd >= 0 && !Interrupts::Remember(part)) {
      close(fd);
      unlink(part.c_str());
      fd = -1;
      errno = ENAMETOOLONG;
    }
    if (fd >= 0) partFile.Path = part;
  }
  if (fd < 0) {
    messages += "Не удалось создать файл образа: " + iso + ": " + std::strerror(errno) + "\n" +
                kNotWritten;
    return 2;
  }
  const mode_t mask = umask(0);
  umask(mask);
  fchmod(fd, 0666 & ~mask);
  close(fd);

  std::vector<std::string> args = {"xorriso", "-no_rc", "-report_about", "WARNING",
                                   "-local_charset", "UTF-8", "-outdev", "stdio:" + part,
                                   "-joliet", "on", "-compliance",
                                   "iso_9660_level=3:joliet_long_names:joliet_long_paths:joliet_utf16"};
  if (!label.empty()) args.insert(args.end(), {"-volid", label});
  args.insert(args.end(), {"-map", disc, "/"});
  for (const Added* a : adding) {
    std::string source;
    const bool ours = !a->FromPayload ||
                      (!options.Cert.empty() && std::strcmp(a->Name, "skdsetup.exe") == 0);
    if (ours && !Interrupts::Remember(made + "/" + a->Name)) {
      messages += "Слишком длинный путь временной папки: " + made + "\n" + kNotWritten;
      return 2;
    }
    if (a->FromPayload && ours) {
      source = made + "/" + a->Name;
      if (!Sign(options.Cert, password, payload + "/" + a->Name, source, messages)) {
        messages += kNotWritten;
        return 2;
      }
    } else if (a->FromPayload) {
      source = payload + "/" + a->Name;
    } else {
      source = made + "/" + a->Name;
      const std::string ini = disc + "/setup.ini";
      const bool ok = std::strcmp(a->Name, "autorun.inf") == 0
                          ? WriteFile(source, AutorunInf(report.Caption), 0644, ini)
                          : WriteFile(source, kAutorunSh, 0755, ini);
      if (!ok) {
        messages += "Не удалось записать " + source + "\n" + kNotWritten;
        return 2;
      }
    }
    args.insert(args.end(), {"-map", source, std::string("/") + a->Name});
  }
  // A drive seeks for each separate read: what the Linux menu reads before
  // its window lies first on the disc, together, in the order it is read.
  const auto added = [&](const char* name) {
    for (const Added* a : adding)
      if (std::strcmp(a->Name, name) == 0) return true;
    return false;
  };
  std::vector<std::string> first;
  if (added("autorun.sh")) first.push_back("/autorun.sh");
  if (added("skdsetup")) first.push_back("/skdsetup");
  if (added("linux") && IsFile(payload + "/linux/libs.tar.zst")) first.push_back("/linux/libs.tar.zst");
  if (IsFile(disc + "/setup.ini")) first.push_back("/setup.ini");
  for (std::size_t i = 0; i < first.size(); ++i)
    args.insert(args.end(), {"-find", first[i], "-exec", "sort_weight",
                             std::to_string(first.size() - i), "--"});
  // A reproducible build asks for one date everywhere, whenever the files
  // were checked out or built (xorriso takes the volume's dates from it too).
  if (const char* epoch = std::getenv("SOURCE_DATE_EPOCH");
      epoch && *epoch && std::strspn(epoch, "0123456789") == std::strlen(epoch))
    args.insert(args.end(), {"-alter_date_r", "b", std::string("=") + epoch, "/", "--"});
  // As mkisofs -r: owned by root, readable by all, written by none, and run
  // by all where anyone could run it. Level 3 takes files over 4 GiB; the
  // names people see are the Joliet and Rock Ridge ones.
  args.insert(args.end(), {"-find", "/", "-exec", "mkisofs_r", "--", "-end"});  // -end: write, and stop reading commands

  std::string output;
  const int status = RunProgram(args, output);
  if (status < 0) {
    messages += errno == ENOENT ? std::string("Не найдена программа xorriso (пакет xorriso).\n")
                                : "Не удалось запустить xorriso: " +
                                      std::string(std::strerror(errno)) + "\n";
    messages += kNotWritten;
    return 2;
  }
  if (!WIFEXITED(status) || WEXITSTATUS(status) != 0) {
    messages += LastLines(output, 10);
    messages += WIFEXITED(status)
                    ? "xorriso завершился с кодом " + std::to_string(WEXITSTATUS(status)) + ".\n"
                    : "xorriso прерван сигналом " + std::to_string(WTERMSIG(status)) + ".\n";
    messages += kNotWritten;
    return 2;
  }
  messages += Warnings(output);
  if (rename(part.c_str(), iso.c_str()) != 0) {
    messages += "Не удалось записать " + iso + ": " + std::strerror(errno) + "\n" + kNotWritten;
    return 2;
  }
  partFile.Path.clear();
  struct stat st{};
  stat(iso.c_str(), &st);
  messages += "Образ записан: " + iso + " (" +
              std::to_string((static_cast<long long>(st.st_size) + (1 << 19)) >> 20) + " МБ" +
              (label.empty() ? std::string() : ", метка «" + label + "»") + ").\n";
  return 0;
}

}  // namespace disc
