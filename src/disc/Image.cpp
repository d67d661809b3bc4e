#include "disc/Image.h"

#include <dirent.h>
#include <fcntl.h>
#include <spawn.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cerrno>
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
};
constexpr Added kAdded[] = {
    {"skdsetup.exe", true, false}, {"autorun.inf", false, false}, {"skdsetup", true, false},
    {"autorun.sh", false, false},  {"qt.conf", true, false},      {"linux", true, true},
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
constexpr const char* kPasswordFile = "password";

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
      unlink((Path + "/" + kPasswordFile).c_str());
      rmdir(Path.c_str());
    } else {
      unlink(Path.c_str());
    }
  }
};

// Runs a program with `args` (no shell); what it says goes to `output`.
// Returns the wait status, or -1 with errno.
int RunProgram(const std::vector<std::string>& args, std::string& output) {
  std::vector<char*> argv;
  for (const std::string& a : args) argv.push_back(const_cast<char*>(a.c_str()));
  argv.push_back(nullptr);
  int pipeFd[2];
  if (pipe2(pipeFd, O_CLOEXEC) != 0) return -1;
  posix_spawn_file_actions_t actions;
  posix_spawn_file_actions_init(&actions);
  posix_spawn_file_actions_addopen(&actions, 0, "/dev/null", O_RDONLY, 0);
  posix_spawn_file_actions_adddup2(&actions, pipeFd[1], 1);
  posix_spawn_file_actions_adddup2(&actions, pipeFd[1], 2);
  pid_t pid = 0;
  const int err = posix_spawnp(&pid, argv[0], &actions, nullptr, argv.data(), environ);
  posix_spawn_file_actions_destroy(&actions);
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
    if (errno != EINTR) return -1;
  }
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

// Joliet holds 103 UTF-16 units of a name and none of * / : ; ? \, so
// Windows would show such a name cut or changed. Links are not followed.
void NoteJolietNames(const std::string& dir, const std::string& shown, std::string& messages) {
  DIR* d = opendir(dir.c_str());
  if (!d) return;
  while (const dirent* e = readdir(d)) {
    const std::string name = e->d_name;
    if (name == "." || name == "..") continue;
    const std::string path = dir + "/" + name;
    const std::string rel = shown.empty() ? name : shown + "/" + name;
    if (platform::Utf8ToUtf16(name).size() > 103)
      messages += "Имя длиннее 103 знаков, Windows покажет его укороченным: " + rel + "\n";
    else if (name.find_first_of("*:;?\\") != std::string::npos)
      messages += "Знаки * : ; ? \\ Windows покажет в имени как _: " + rel + "\n";
    struct stat st{};
    if (lstat(path.c_str(), &st) == 0 && S_ISDIR(st.st_mode)) NoteJolietNames(path, rel, messages);
  }
  closedir(d);
}

// Signs `in` into `out` with the certificate; false with the reason in
// `messages`. The password goes to osslsigncode in a file of the private
// scratch folder, never on a command line.
bool Sign(const std::string& cert, const std::string& in, const std::string& out,
          const std::string& scratch, std::string& messages) {
  std::string passwordFile;
  if (const char* file = std::getenv("SKD_SIGN_PASSWORD_FILE"); file && *file) {
    passwordFile = file;
  } else if (const char* password = std::getenv("SKD_SIGN_PASSWORD")) {
    passwordFile = scratch + "/" + kPasswordFile;
    if (!WriteFile(passwordFile, password, 0600, "")) {
      messages += "Не удалось передать пароль сертификата.\n";
      return false;
    }
  } else {
    messages += "Нет пароля сертификата: задайте SKD_SIGN_PASSWORD_FILE или SKD_SIGN_PASSWORD.\n";
    return false;
  }
  std::vector<std::string> args = {"osslsigncode", "sign", "-pkcs12", cert, "-readpass",
                                   passwordFile, "-h", "sha256", "-n", "skdsetup",
                                   "-in", in, "-out", out};
  if (const char* url = std::getenv("SKD_TIMESTAMP_URL"); url && *url)
    args.insert(args.end() - 4, {"-ts", url});
  std::string output;
  const int status = RunProgram(args, output);
  if (status < 0 || !WIFEXITED(status) || WEXITSTATUS(status) != 0) {
    messages += LastLines(output, 10);
    messages += status < 0 && errno == ENOENT
                    ? "Не найдена программа osslsigncode (пакет osslsigncode).\n"
                    : "Не удалось подписать " + in + ".\n";
    return false;
  }
  return true;
}

std::string PayloadFolder(const ImageOptions& options) {
  if (!options.Payload.empty()) return options.Payload;
  if (const char* env = std::getenv("SKD_PAYLOAD"); env && *env) return env;
  std::string self = RealPath("/proc/self/exe");
  return Parent(self) + "/payload";
}

}  // namespace

int MakeImage(const std::string& dir, const std::string& iso, const ImageOptions& options,
              std::string& messages) {
  messages.clear();
  const Report report = CheckDisc(dir);
  if (report.Count(Severity::Error) > 0) {
    messages = FormatText(report) + kNotWritten;
    return 2;
  }
  if (report.Count(Severity::Warning) > 0) messages = FormatText(report);

  // An image inside the folder would be written into itself.
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
  if (DIR* d = opendir(dir.c_str())) {
    while (const dirent* e = readdir(d)) names.emplace_back(e->d_name);
    closedir(d);
  }
  std::vector<const Added*> adding;
  for (const Added& a : kAdded) {
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

  NoteJolietNames(dir, "", messages);

  const std::string payload = PayloadFolder(options);
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

  const char* tmp = std::getenv("TMPDIR");
  std::string made = std::string(tmp && *tmp ? tmp : "/tmp") + "/skddisc.XXXXXX";
  if (!mkdtemp(made.data())) {
    messages += "Не удалось создать временную папку: " + made + "\n" + kNotWritten;
    return 2;
  }
  Scratch madeFolder{made, true};

  bool cut = false;
  const std::string label = FitLabel(options.Label.empty() ? report.Caption : options.Label, cut);
  if (cut) messages += "Метка тома длиннее, чем вмещает диск; записана «" + label + "».\n";

  // Written beside the image and renamed when complete: a failed run leaves
  // the old image, or none.
  std::string part = iso + ".XXXXXX";
  const int fd = mkstemp(part.data());
  if (fd < 0) {
    messages += "Не удалось создать файл образа: " + iso + ": " + std::strerror(errno) + "\n" +
                kNotWritten;
    return 2;
  }
  Scratch partFile{part, false};
  const mode_t mask = umask(0);
  umask(mask);
  fchmod(fd, 0666 & ~mask);
  close(fd);

  std::vector<std::string> args = {"xorriso", "-no_rc", "-report_about", "WARNING",
                                   "-local_charset", "UTF-8", "-outdev", "stdio:" + part,
                                   "-joliet", "on", "-compliance",
                                   "iso_9660_level=3:joliet_long_names:joliet_long_paths:joliet_utf16"};
  if (!label.empty()) args.insert(args.end(), {"-volid", label});
  args.insert(args.end(), {"-map", dir, "/"});
  for (const Added* a : adding) {
    std::string source;
    if (a->FromPayload && !options.Cert.empty() && std::strcmp(a->Name, "skdsetup.exe") == 0) {
      source = made + "/" + a->Name;
      if (!Sign(options.Cert, payload + "/" + a->Name, source, made, messages)) {
        messages += kNotWritten;
        return 2;
      }
    } else if (a->FromPayload) {
      source = payload + "/" + a->Name;
    } else {
      source = made + "/" + a->Name;
      const std::string ini = dir + "/setup.ini";
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
