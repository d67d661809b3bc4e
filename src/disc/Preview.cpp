#include "disc/Preview.h"

#include <X11/Xlib.h>
#include <X11/Xutil.h>
#include <dirent.h>
#include <fcntl.h>
#include <spawn.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <array>
#include <cerrno>
#include <csignal>
#include <chrono>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <map>
#include <thread>
#include <vector>

#include "disc/Image.h"

extern char** environ;

namespace disc {
namespace {

namespace fs = std::filesystem;
using Clock = std::chrono::steady_clock;

constexpr const char* kNotMade = "Картинки не сделаны.\n";

void Pause(int ms) { std::this_thread::sleep_for(std::chrono::milliseconds(ms)); }

// SIGINT, SIGTERM or SIGHUP: every wait gives up, and what was started is
// ended on the way out as after a failure.
volatile std::sig_atomic_t g_interrupted = 0;
extern "C" void OnPreviewInterrupt(int) { g_interrupted = 1; }

struct Interrupts {
  Interrupts() {
    struct sigaction action {};
    action.sa_handler = OnPreviewInterrupt;
    sigemptyset(&action.sa_mask);
    for (int i = 0; i < 3; ++i) sigaction(kSignals[i], &action, &old_[i]);
  }
  ~Interrupts() {
    for (int i = 0; i < 3; ++i) sigaction(kSignals[i], &old_[i], nullptr);
  }
  static constexpr int kSignals[3] = {SIGINT, SIGTERM, SIGHUP};
  struct sigaction old_[3];
};

// --- PNG: RGB, 8 bits, stored (uncompressed) deflate blocks --------------

std::uint32_t Crc(const std::string& bytes) {
  static const std::array<std::uint32_t, 256> table = [] {
    std::array<std::uint32_t, 256> t{};
    for (std::uint32_t n = 0; n < 256; ++n) {
      std::uint32_t c = n;
      for (int k = 0; k < 8; ++k) c = c & 1 ? 0xEDB88320u ^ (c >> 1) : c >> 1;
      t[n] = c;
    }
    return t;
  }();
  std::uint32_t c = 0xFFFFFFFFu;
  for (const char b : bytes) c = table[(c ^ static_cast<unsigned char>(b)) & 0xFF] ^ (c >> 8);
  return c ^ 0xFFFFFFFFu;
}

std::string Be32(std::uint32_t v) {
  return {static_cast<char>(v >> 24), static_cast<char>(v >> 16), static_cast<char>(v >> 8),
          static_cast<char>(v)};
}

std::string Chunk(const char* type, const std::string& data) {
  const std::string body = type + data;
  return Be32(static_cast<std::uint32_t>(data.size())) + body + Be32(Crc(body));
}

struct Picture {
  int Width = 0, Height = 0;
  std::string Rgb;  // rows top down, 3 bytes a pixel
  bool operator==(const Picture&) const = default;
};

std::string Png(const Picture& p) {
  std::string raw;
  const std::size_t row = static_cast<std::size_t>(p.Width) * 3;
  for (int y = 0; y < p.Height; ++y) raw += '\0' + p.Rgb.substr(y * row, row);
  std::string z = "\x78\x01";
  for (std::size_t at = 0; at < raw.size() || at == 0; at += 65535) {
    const std::size_t n = std::min<std::size_t>(65535, raw.size() - at);
    const bool last = at + n >= raw.size();
    z += static_cast<char>(last ? 1 : 0);
    z += {static_cast<char>(n & 0xFF), static_cast<char>(n >> 8),
          static_cast<char>(~n & 0xFF), static_cast<char>((~n >> 8) & 0xFF)};
    z += raw.substr(at, n);
    if (last) break;
  }
  std::uint32_t a = 1, b = 0;
  for (const char c : raw) {
    a = (a + static_cast<unsigned char>(c)) % 65521;
    b = (b + a) % 65521;
  }
  z += Be32((b << 16) | a);
  const std::string header = Be32(static_cast<std::uint32_t>(p.Width)) +
                             Be32(static_cast<std::uint32_t>(p.Height)) +
                             std::string("\x08\x02\x00\x00\x00", 5);
  return "\x89PNG\r\n\x1A\n" + Chunk("IHDR", header) + Chunk("IDAT", z) + Chunk("IEND", "");
}

bool WriteWhole(const std::string& path, const std::string& bytes) {
  const std::string part = path + ".part";
  {
    std::ofstream out(part, std::ios::binary | std::ios::trunc);
    out.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
    if (!out.flush()) return false;
  }
  return std::rename(part.c_str(), path.c_str()) == 0;
}

// --- Child processes, never through a shell ------------------------------

struct Child {
  pid_t Pid = -1;
  int WaitStatus = 0;
  bool Ended = false;

  bool Running() {
    if (Pid <= 0 || Ended) return false;
    if (waitpid(Pid, &WaitStatus, WNOHANG) == Pid) Ended = true;
    return !Ended;
  }
  // Waits up to `seconds`; false when it still runs. Only an ending (the
  // Wine session's) is waited for through an interrupt.
  bool Wait(int seconds, bool ending = false) {
    const auto until = Clock::now() + std::chrono::seconds(seconds);
    while (Running()) {
      if (Clock::now() > until || (g_interrupted && !ending)) return false;
      Pause(50);
    }
    return true;
  }
  void Stop() {
    if (!Running()) return;
    kill(Pid, SIGTERM);
    if (!Wait(10, true)) {
      kill(Pid, SIGKILL);
      Wait(60, true);
    }
  }
  ~Child() { Stop(); }
};

using Env = std::map<std::string, std::string>;  // "" value: removed

// `out`: a file for stdout and stderr, or "" for /dev/null; `fd3`: a
// descriptor the child gets as 3, or -1.
bool Start(Child& child, const std::vector<std::string>& args, const Env& env,
           const std::string& out, int fd3 = -1) {
  std::vector<std::string> vars;
  for (char** e = environ; *e; ++e) {
    const std::string var = *e;
    if (!env.count(var.substr(0, var.find('=')))) vars.push_back(var);
  }
  for (const auto& [name, value] : env)
    if (!value.empty()) vars.push_back(name + "=" + value);
  std::vector<char*> argv, envp;
  for (const std::string& a : args) argv.push_back(const_cast<char*>(a.c_str()));
  for (const std::string& v : vars) envp.push_back(const_cast<char*>(v.c_str()));
  argv.push_back(nullptr);
  envp.push_back(nullptr);
  posix_spawn_file_actions_t actions;
  posix_spawn_file_actions_init(&actions);
  posix_spawn_file_actions_addopen(&actions, 0, "/dev/null", O_RDONLY, 0);
  posix_spawn_file_actions_addopen(&actions, 1, out.empty() ? "/dev/null" : out.c_str(),
                                   O_WRONLY | O_CREAT | O_APPEND, 0644);
  posix_spawn_file_actions_adddup2(&actions, 1, 2);
  if (fd3 >= 0) posix_spawn_file_actions_adddup2(&actions, fd3, 3);
  const int rc = posix_spawnp(&child.Pid, argv[0], &actions, nullptr, argv.data(), envp.data());
  posix_spawn_file_actions_destroy(&actions);
  if (rc != 0) {
    child.Pid = -1;
    errno = rc;
    return false;
  }
  return true;
}

// Runs a program to its end (at most `seconds`); true when it exits 0.
bool RunToEnd(const std::vector<std::string>& args, const Env& env, int seconds,
              const std::string& out = "", bool ending = false) {
  Child child;
  if (!Start(child, args, env, out)) return false;
  if (!child.Wait(seconds, ending)) return false;
  return WIFEXITED(child.WaitStatus) && WEXITSTATUS(child.WaitStatus) == 0;
}

bool Executable(const std::string& path) { return access(path.c_str(), X_OK) == 0; }

// A program by name on PATH, or "".
std::string OnPath(const std::string& name) {
  const char* path = std::getenv("PATH");
  std::string dirs = path ? path : "/usr/bin:/bin";
  std::size_t at = 0;
  while (at <= dirs.size()) {
    const std::size_t end = std::min(dirs.find(':', at), dirs.size());
    const std::string dir = dirs.substr(at, end - at);
    if (!dir.empty() && dir[0] == '/' && Executable(dir + "/" + name)) return dir + "/" + name;
    at = end + 1;
  }
  return {};
}

std::string ReadText(const std::string& path, std::size_t tail = 2000) {
  std::ifstream in(path, std::ios::binary);
  std::string s((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
  return s.size() > tail ? s.substr(s.size() - tail) : s;
}

// --- The private X server and the window's picture -----------------------

struct XServer {
  Child Server;
  std::string Name;

  bool Open(const std::string& log) {
    int fds[2];
    if (pipe2(fds, O_CLOEXEC) != 0) return false;
    const bool started = Start(Server, {"Xvfb", "-displayfd", "3", "-screen", "0", "1600x1200x24",
                                        "-nolisten", "tcp", "-noreset"},
                               {}, log, fds[1]);
    close(fds[1]);
    std::string number;
    if (started) {
      fcntl(fds[0], F_SETFL, O_NONBLOCK);
      const auto until = Clock::now() + std::chrono::seconds(60);
      while (Clock::now() < until && number.find('\n') == std::string::npos && Server.Running() &&
             !g_interrupted) {
        char buffer[16];
        const ssize_t n = read(fds[0], buffer, sizeof buffer);
        if (n > 0) number.append(buffer, static_cast<std::size_t>(n));
        else Pause(20);
      }
    }
    close(fds[0]);
    if (number.find('\n') == std::string::npos) return false;
    Name = ":" + number.substr(0, number.find('\n'));
    return true;
  }
};

// The largest window on the screen, once it looks the same for a second;
// empty when none showed while `program` runs (within `seconds`).
Picture Grab(const std::string& display, Child& program, int seconds) {
  Picture result;
  Display* x = XOpenDisplay(display.c_str());
  if (!x) return result;
  const Window root = DefaultRootWindow(x);
  Picture last;
  int same = 0;
  const auto until = Clock::now() + std::chrono::seconds(seconds);
  while (Clock::now() < until && program.Running() && !g_interrupted) {
    Window rootReturn, parent, *children = nullptr;
    unsigned count = 0;
    Window best = 0;
    long bestArea = 0;
    XWindowAttributes bestAttr{};
    if (XQueryTree(x, root, &rootReturn, &parent, &children, &count)) {
      for (unsigned i = 0; i < count; ++i) {
        XWindowAttributes a;
        if (!XGetWindowAttributes(x, children[i], &a) || a.map_state != IsViewable) continue;
        const long area = static_cast<long>(a.width) * a.height;
        if (a.width >= 100 && a.height >= 60 && area > bestArea) {
          best = children[i], bestArea = area, bestAttr = a;
        }
      }
      if (children) XFree(children);
    }
    Picture now;
    if (best) {
      if (XImage* image = XGetImage(x, best, 0, 0, static_cast<unsigned>(bestAttr.width),
                                    static_cast<unsigned>(bestAttr.height), AllPlanes, ZPixmap)) {
        now.Width = bestAttr.width;
        now.Height = bestAttr.height;
        now.Rgb.reserve(static_cast<std::size_t>(now.Width) * now.Height * 3);
        for (int y = 0; y < now.Height; ++y)
          for (int xx = 0; xx < now.Width; ++xx) {
            const unsigned long p = XGetPixel(image, xx, y);
            now.Rgb += {static_cast<char>((p & image->red_mask) >> 16),
                        static_cast<char>((p & image->green_mask) >> 8),
                        static_cast<char>(p & image->blue_mask)};
          }
        XDestroyImage(image);
      }
    }
    same = now.Width && now == last ? same + 1 : 0;
    last = std::move(now);
    if (same >= 4) {
      result = last;
      break;
    }
    Pause(250);
  }
  XCloseDisplay(x);
  return result;
}

// --- The disc as the menu will see it ------------------------------------

void RemoveTree(const fs::path& dir) {
  std::error_code ec;
  // Extracted images keep their read-only folders.
  for (fs::recursive_directory_iterator it(dir, ec), end; !ec && it != end; it.increment(ec))
    if (it->is_directory(ec) && !it->is_symlink(ec))
      fs::permissions(it->path(), fs::perms::owner_all, fs::perm_options::add, ec);
  fs::remove_all(dir, ec);
}

struct Scratch {
  std::string Path;
  ~Scratch() {
    if (!Path.empty()) RemoveTree(Path);
  }
};

bool CopyFile(const std::string& from, const std::string& to) {
  std::error_code ec;
  return fs::copy_file(from, to, fs::copy_options::overwrite_existing, ec);
}

}  // namespace

int MakePreview(const std::string& source, const std::string& outDir,
                const PreviewOptions& options, std::string& messages) {
  messages.clear();
  const Interrupts interrupts;
  int scale = 100;
  if (!options.Scale.empty()) {
    char* end = nullptr;
    const long v = std::strtol(options.Scale.c_str(), &end, 10);
    if (*end != '\0' || end == options.Scale.c_str() || v < 100 || v > 200) {
      messages = "Масштаб — целое число процентов от 100 до 200, а не «" + options.Scale + "».\n" +
                 kNotMade;
      return 2;
    }
    scale = static_cast<int>(v);
  }
  std::error_code ec;
  const fs::file_status st = fs::status(source, ec);
  const bool image = fs::is_regular_file(st);
  if (!image && !fs::is_directory(st)) {
    messages = "Нет ни папки диска, ни образа: " + source + "\n" + kNotMade;
    return 2;
  }
  fs::create_directories(outDir, ec);
  if (!fs::is_directory(outDir, ec)) {
    messages = "Нет папки для картинок и её не создать: " + outDir + "\n" + kNotMade;
    return 2;
  }
  if (OnPath("Xvfb").empty()) {
    messages = "Нет программы Xvfb (пакет xvfb).\n" + std::string(kNotMade);
    return 2;
  }

  const char* tmp = std::getenv("TMPDIR");
  std::string made = std::string(tmp && *tmp ? tmp : "/tmp") + "/skddisc-preview.XXXXXX";
  if (!mkdtemp(made.data())) {
    messages = "Не удалось создать временную папку: " + made + "\n" + kNotMade;
    return 2;
  }
  Scratch scratch{made};
  const std::string stage = made + "/disc";
  fs::create_directory(stage, ec);

  // The image's own menus; a folder gets the payload's beside its files.
  if (image) {
    if (OnPath("xorriso").empty()) {
      messages = "Нет программы xorriso (пакет xorriso).\n" + std::string(kNotMade);
      return 2;
    }
    if (!RunToEnd({"xorriso", "-no_rc", "-osirrox", "on", "-indev", source, "-extract", "/", stage},
                  {}, 600, made + "/xorriso.log")) {
      messages = ReadText(made + "/xorriso.log") + "Образ не прочесть: " + source + "\n" + kNotMade;
      return 2;
    }
  } else {
    const std::string disc = fs::canonical(source, ec).string();
    for (fs::directory_iterator it(disc, ec), end; !ec && it != end; it.increment(ec))
      fs::create_symlink(it->path(), stage / it->path().filename(), ec);
    const std::string payload = PayloadFolder(options.Payload);
    for (const char* name : {"skdsetup", "skdsetup.exe", "linux"}) {
      const std::string from = payload + "/" + name;
      const std::string to = stage + "/" + name;
      fs::remove(to, ec);
      if (!fs::exists(from, ec)) {
        messages = "В наборе программ нет " + std::string(name) + ": " + from +
                   "\n(набор задает --payload ПАПКА или SKD_PAYLOAD; его собирает "
                   "scripts/payload.sh)\n" + kNotMade;
        return 2;
      }
      // The menu finds setup.ini beside its own file, links resolved: a copy.
      if (std::strcmp(name, "linux") == 0)
        fs::create_symlink(fs::canonical(from, ec), to, ec);
      else if (!CopyFile(from, to)) {
        messages = "Не удалось скопировать " + from + "\n" + kNotMade;
        return 2;
      }
    }
  }

  XServer x;
  if (!x.Open(made + "/xvfb.log")) {
    messages = (g_interrupted ? std::string("Прервано.\n")
                              : ReadText(made + "/xvfb.log") + "Xvfb не запустился.\n") +
               kNotMade;
    return 2;
  }
  const std::string suffix = "-" + std::to_string(scale) + ".png";
  int madePictures = 0;
  bool failed = false;

  // The Linux menu, with the bundle's Qt only.
  if (Executable(stage + "/skdsetup")) {
    char factor[16];
    std::snprintf(factor, sizeof factor, "%d.%02d", scale / 100, scale % 100);
    Child menu;
    const std::string log = made + "/linux.log";
    if (!Start(menu, {stage + "/skdsetup"},
               {{"DISPLAY", x.Name}, {"QT_QPA_PLATFORM", "xcb"}, {"QT_SCALE_FACTOR", factor},
                {"QT_PLUGIN_PATH", ""}, {"QT_QPA_PLATFORM_PLUGIN_PATH", ""},
                {"QT_SCREEN_SCALE_FACTORS", ""}, {"QT_AUTO_SCREEN_SCALE_FACTOR", ""},
                {"QT_ENABLE_HIGHDPI_SCALING", ""}, {"XDG_RUNTIME_DIR", made}},
               log)) {
      messages += "Меню для Linux не запустилось: " + std::string(std::strerror(errno)) + "\n";
      failed = true;
    } else {
      const Picture p = Grab(x.Name, menu, 120);
      menu.Stop();
      const std::string out = outDir + "/linux" + suffix;
      if (p.Width && WriteWhole(out, Png(p))) {
        messages += "Меню для Linux: " + out + "\n";
        ++madePictures;
      } else if (!g_interrupted) {
        messages += ReadText(log) + "Меню для Linux не показало окна.\n";
        failed = true;
      }
    }
  } else {
    messages += "На диске нет меню для Linux (skdsetup): его картинки нет.\n";
  }

  // The Windows menu under Wine, in a prefix of its own with a Russian locale.
  std::string wine = Executable("/usr/lib/wine/wine") ? "/usr/lib/wine/wine" : OnPath("wine");
  std::string wineserver =
      Executable("/usr/lib/wine/wineserver") ? "/usr/lib/wine/wineserver" : OnPath("wineserver");
  if (g_interrupted) {
    // Said once below.
  } else if (!fs::exists(stage + "/skdsetup.exe", ec)) {
    messages += "На диске нет меню для Windows (skdsetup.exe): его картинки нет.\n";
  } else if (wine.empty() || wineserver.empty()) {
    messages += "Wine не установлен (пакеты wine64 и wine32:i386): картинки меню для Windows нет.\n";
  } else if (Child probe; !Start(probe, {wine, "--version"}, {}, "") || !probe.Wait(60) ||
             !WIFEXITED(probe.WaitStatus) || WEXITSTATUS(probe.WaitStatus) != 0) {
    // The 32-bit loader runs the 32-bit menu; some kernels run no 32-bit program.
    messages += "Wine (" + wine + ") здесь не запускается (ему нужна поддержка 32-разрядных "
                "программ в ядре): картинки меню для Windows нет.\n";
  } else {
    std::string prefix;
    if (const char* p = std::getenv("SKD_PREVIEW_WINEPREFIX"); p && *p) {
      prefix = p;
    } else {
      const char* cache = std::getenv("XDG_CACHE_HOME");
      const char* home = std::getenv("HOME");
      prefix = cache && *cache ? std::string(cache) + "/skddisc/wineprefix"
                               : std::string(home ? home : "/tmp") + "/.cache/skddisc/wineprefix";
    }
    prefix = fs::absolute(prefix, ec).lexically_normal().string();
    if (!prefix.empty() && prefix.back() == '/') prefix.pop_back();
    const std::string parent = fs::path(prefix).parent_path().string();
    const std::string locales = parent + "/locales";
    fs::create_directories(prefix, ec);
    // One preview at a time in a prefix.
    const int lock = open((prefix + ".lock").c_str(), O_WRONLY | O_CREAT | O_CLOEXEC, 0644);
    if (lock >= 0) flock(lock, LOCK_EX);
    const std::string wlog = made + "/wine.log";
    Env env = {{"WINEPREFIX", prefix}, {"WINEDEBUG", "-all"}, {"WINEARCH", "win64"},
               {"WINEDLLOVERRIDES", "mscoree,mshtml="}, {"DISPLAY", x.Name},
               {"LOCPATH", locales}, {"LANG", "ru_RU.UTF-8"}, {"LC_ALL", "ru_RU.UTF-8"}};
    bool ready = true;
    if (!fs::exists(locales + "/ru_RU.UTF-8/LC_CTYPE", ec)) {
      fs::create_directories(locales, ec);
      // localedef exits 1 on mere warnings; the files tell.
      RunToEnd({"localedef", "-i", "ru_RU", "-f", "UTF-8", locales + "/ru_RU.UTF-8"}, {}, 300, wlog);
      if (!fs::exists(locales + "/ru_RU.UTF-8/LC_CTYPE", ec)) {
        messages += "Не удалось сделать русскую локаль для Wine (пакет locales): картинки меню "
                    "для Windows нет.\n";
        ready = false;
        failed = true;
      }
    }
    if (ready && !fs::exists(prefix + "/.skd-ready", ec)) {
      messages += "Первый запуск: создаётся папка Wine " + prefix + " (до нескольких минут).\n";
      Env init = env;
      init["DISPLAY"] = "";
      RunToEnd({wine, "wineboot", "--init"}, init, 900, wlog);
      RunToEnd({wineserver, "-w"}, init, 900, wlog);
      if (g_interrupted) RunToEnd({wineserver, "-k"}, init, 60, "", true);
      if (fs::exists(prefix + "/system.reg", ec)) {
        std::ofstream(prefix + "/.skd-ready").flush();
      } else {
        messages += ReadText(wlog) + "Не удалось создать папку Wine " + prefix + ".\n";
        ready = false;
        failed = true;
      }
    }
    if (ready && !g_interrupted) {
      RunToEnd({wineserver, "-k"}, env, 60, "", true);
      RunToEnd({wineserver, "-w"}, env, 120, "", true);
      RunToEnd({wine, "reg", "add", "HKCU\\Control Panel\\Desktop", "/v", "LogPixels", "/t",
                "REG_DWORD", "/d", std::to_string(96 * scale / 100), "/f"},
               env, 300, wlog);
      Child menu;
      if (!Start(menu, {wine, stage + "/skdsetup.exe"}, env, wlog)) {
        messages += "Wine не запустился: " + std::string(std::strerror(errno)) + "\n";
        failed = true;
      } else {
        const Picture p = Grab(x.Name, menu, 300);
        const std::string out = outDir + "/windows" + suffix;
        if (p.Width && WriteWhole(out, Png(p))) {
          messages += "Меню для Windows: " + out + "\n";
          ++madePictures;
        } else if (!g_interrupted) {
          messages += ReadText(wlog) + "Меню для Windows не показало окна.\n";
          failed = true;
        }
        // The whole Wine session ends: the menu and Wine's own programs.
        RunToEnd({wineserver, "-k"}, env, 60, "", true);
        menu.Stop();
        RunToEnd({wineserver, "-w"}, env, 120, "", true);
      }
    }
    if (lock >= 0) close(lock);
  }
  x.Server.Stop();
  if (g_interrupted) {
    messages += "Прервано.\n" + std::string(kNotMade);
    return 2;
  }
  if (failed || madePictures == 0) {
    messages += kNotMade;
    return 2;
  }
  return 0;
}

}  // namespace disc
