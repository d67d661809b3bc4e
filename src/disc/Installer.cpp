#include "disc/Installer.h"

#include <algorithm>
#include <string_view>

namespace disc {
namespace {

// The kernel reads this much of a file to choose its loader; a "#!" line
// counts only within it.
constexpr std::size_t kHeadBytes = 256;
// Scripts naming scripts: the kernel gives up after this many.
constexpr int kMaxScriptDepth = 5;

std::uint64_t Le(std::string_view data, std::size_t at, int bytes) {
  if (at > data.size() || data.size() - at < static_cast<std::size_t>(bytes)) return 0;
  std::uint64_t v = 0;
  for (int i = bytes - 1; i >= 0; --i) v = (v << 8) | static_cast<unsigned char>(data[at + i]);
  return v;
}

std::string Quoted(const std::string& s) { return "«" + s + "»"; }

std::string Lower(std::string s) {
  for (char& c : s)
    if (c >= 'A' && c <= 'Z') c = static_cast<char>(c - 'A' + 'a');
  return s;
}

// The machines whose Linux programs the menu's own machine runs.
bool OwnMachine(std::uint64_t machine) {
#if defined(__aarch64__)
  return machine == 0xB7;
#else
  return machine == 0x3E || machine == 0x03;  // x86-64 runs 32-bit x86 too
#endif
}

class Classifier {
 public:
  explicit Classifier(FileProbe& files) : files_(files) {}

  InstallerKind Run(const std::string& path) {
    InstallerKind out;
    const std::string head = files_.Read(path, 0, 4096);
    const std::string_view data = head;
    if (data.empty()) {
      out.Kind = "пустой файл";
      Fatal(out, "пустой файл не запустится.");
    } else if (data.substr(0, 2) == "MZ") {
      Windows(path, data, out);
    } else if (data.substr(0, 4) == "\x7F" "ELF") {
      out.Kind = "программа Linux";
      Elf(path, data, out, "");
      RunBit(path, out);
    } else if (data.substr(0, 2) == "#!") {
      Script(path, data, out);
    } else {
      const std::size_t dot = path.rfind('.');
      const std::string ext =
          Lower(dot == std::string::npos || path.find_first_of("/\\", dot) != std::string::npos
                    ? std::string()
                    : path.substr(dot));
      if (ext == ".bat" || ext == ".cmd") {
        out.Kind = "командный файл Windows";
      } else {
        out.Kind = "неизвестный формат";
        Fatal(out, "это ни программа Windows, ни программа или сценарий Linux: меню не сможет его "
                   "запустить.");
      }
    }
    return out;
  }

 private:
  static void Fatal(InstallerKind& out, std::string text) {
    out.Problems.push_back({true, std::move(text)});
  }

  // What CreateProcess looks at before it starts a program.
  void Windows(const std::string& path, std::string_view data, InstallerKind& out) {
    const std::uint64_t peAt = Le(data, 0x3C, 4);
    const std::string pe = peAt >= 0x40 ? files_.Read(path, peAt, 24 + 0xF0) : std::string();
    const std::string_view h = pe;
    if (h.size() < 24 || h.substr(0, 4) != std::string_view("PE\0\0", 4)) {
      out.Kind = "программа MS-DOS или повреждённый заголовок";
      Fatal(out, "у файла нет заголовка программы Windows: Windows его не запустит.");
      return;
    }
    const std::uint64_t machine = Le(h, 4, 2);
    const std::uint64_t optionalSize = Le(h, 20, 2);
    const std::uint64_t flags = Le(h, 22, 2);
    const std::string_view opt = h.substr(24, std::min<std::uint64_t>(optionalSize, h.size() - 24));
    const bool wide = machine != 0x14C;
    out.Kind = machine == 0x14C    ? "программа Windows (x86, 32 бита)"
               : machine == 0x8664 ? "программа Windows (x64, 64 бита)"
               : machine == 0xAA64 ? "программа Windows (ARM64)"
                                   : "программа Windows для другой машины";
    if (flags & 0x2000) {
      out.Kind = "библиотека Windows (DLL)";
      Fatal(out, "это библиотека (DLL), а не программа: Windows её не запустит.");
      return;
    }
    // The fields up to the subsystem, in the layout the magic names.
    const std::uint64_t magic = Le(opt, 0, 2);
    const std::size_t need = magic == 0x20B ? 112 : 96;
    if (!(flags & 0x0002) || (magic != 0x10B && magic != 0x20B) || opt.size() < need) {
      Fatal(out, "заголовок программы повреждён (нет необязательного заголовка или он неполон): "
                 "Windows её не запустит.");
      return;
    }
    if (machine != 0x14C && machine != 0x8664 && machine != 0xAA64) {
      Fatal(out, "Windows на x86 и x64 её не запустит.");
      return;
    }
    if ((magic == 0x20B) != wide) {
      Fatal(out, "заголовок не подходит к машине программы: Windows её не запустит.");
      return;
    }
    const std::uint64_t subsystem = Le(opt, 68, 2);
    if (subsystem == 1 || (subsystem >= 10 && subsystem <= 13)) {
      Fatal(out, "это не приложение (драйвер или программа EFI): Windows его не запустит.");
      return;
    }
    if (wide) out.Problems.push_back({false, "на 32-разрядной Windows она не запустится."});
  }

  // What the kernel's ELF loader checks before it runs a program; `whose`
  // prefixes problems of an interpreter.
  void Elf(const std::string& path, std::string_view data, InstallerKind& out,
           const std::string& whose) {
    const auto bad = [&](const std::string& why) { Fatal(out, whose + why); };
    const std::uint64_t cls = data.size() > 4 ? static_cast<unsigned char>(data[4]) : 0;
    const std::size_t headerSize = cls == 2 ? 64 : 52;
    if (data.size() < headerSize || (cls != 1 && cls != 2)) {
      bad("заголовок ELF обрезан или повреждён: система его не запустит.");
      return;
    }
    const std::uint64_t machine = Le(data, 0x12, 2);
    if (whose.empty())
      out.Kind = machine == 0x3E   ? "программа Linux (x86-64)"
                 : machine == 0x03 ? "программа Linux (x86, 32 бита)"
                 : machine == 0xB7 ? "программа Linux (ARM64)"
                                   : "программа Linux для другой машины";
    if (data[5] != 1 || !OwnMachine(machine)) {
      bad("программа для другой машины: на машине меню она не запустится.");
      return;
    }
    const std::uint64_t type = Le(data, 0x10, 2);
    if (type != 2 && type != 3) {
      bad("это не программа (объектный файл, дамп или иное): система её не запустит.");
      return;
    }
    const bool wide = cls == 2;
    const std::uint64_t phoff = Le(data, wide ? 0x20 : 0x1C, wide ? 8 : 4);
    const std::uint64_t phentsize = Le(data, wide ? 0x36 : 0x2A, 2);
    const std::uint64_t phnum = Le(data, wide ? 0x38 : 0x2C, 2);
    const std::uint64_t table = phentsize * phnum;
    if (phentsize != (wide ? 56u : 32u) || table == 0 || table > 4096) {
      bad("таблица сегментов ELF повреждена: система её не запустит.");
      return;
    }
    const std::string segments = files_.Read(path, phoff, static_cast<std::size_t>(table));
    if (segments.size() != table) {
      bad("файл обрезан (нет таблицы сегментов ELF): система его не запустит.");
      return;
    }
    if (!files_.KnowsLinux()) return;
    for (std::uint64_t i = 0; i < phnum; ++i) {
      const std::string_view seg = std::string_view(segments).substr(i * phentsize, phentsize);
      if (Le(seg, 0, 4) != 3) continue;  // PT_INTERP
      const std::uint64_t offset = Le(seg, wide ? 8 : 4, wide ? 8 : 4);
      const std::uint64_t size = Le(seg, wide ? 32 : 16, wide ? 8 : 4);
      std::string loader = files_.Read(path, offset, static_cast<std::size_t>(std::min<std::uint64_t>(size, 4096)));
      loader = loader.substr(0, loader.find('\0'));
      if (loader.empty() || files_.Stat(loader).Kind != FileProbe::Type::Regular)
        bad("нет загрузчика " + Quoted(loader) + ": на этой машине программа не запустится.");
      return;
    }
  }

  void Script(const std::string& path, std::string_view data, InstallerKind& out) {
    bool cr = false;
    const std::string interpreter = Interpreter(data, &cr);
    const std::string shown(interpreter.substr(0, interpreter.find('\r')));
    out.Kind = "сценарий Linux (" + shown + ")";
    if (cr) {
      Fatal(out, "первая строка кончается знаком CR (файл сохранён с концами строк CR LF): "
                 "система ищет интерпретатор " + Quoted(shown + "\\r") + " и не находит его.");
      return;
    }
    if (files_.KnowsLinux()) Chain(path, interpreter, 1, out);
    RunBit(path, out);
  }

  // Like the kernel: the interpreter ends at a blank or the line's end, and
  // a CR left by CR LF line ends is part of its name. `cr`: the line ends so.
  static std::string Interpreter(std::string_view data, bool* cr = nullptr) {
    data = data.substr(0, kHeadBytes);
    std::string_view first = data.substr(0, data.find('\n')).substr(2);
    if (cr) *cr = !first.empty() && first.back() == '\r';
    first.remove_prefix(std::min(first.find_first_not_of(" \t"), first.size()));
    return std::string(first.substr(0, first.find_first_of(" \t")));
  }

  // The interpreter `name` of a script, and the ones it names in turn.
  void Chain(const std::string& script, const std::string& name, int depth, InstallerKind& out) {
    const std::string whose = depth == 1 ? "" : "в цепочке интерпретаторов ";
    const FileProbe::Info info = name.empty() ? FileProbe::Info{} : files_.Stat(name);
    if (info.Kind == FileProbe::Type::Missing) {
      Fatal(out, "нет интерпретатора " + Quoted(name) + ", сценарий не запустится.");
      return;
    }
    if (info.Kind != FileProbe::Type::Regular || !info.Executable) {
      Fatal(out, "интерпретатор " + Quoted(name) +
                     (info.Kind == FileProbe::Type::Directory ? " — папка"
                      : info.Kind == FileProbe::Type::Other   ? " — не обычный файл"
                                                              : " нельзя запустить") +
                     ": сценарий не запустится.");
      return;
    }
    const std::string head = files_.Read(name, 0, 4096);
    const std::string_view data = head;
    if (data.substr(0, 2) == "#!") {
      if (depth >= kMaxScriptDepth || (!info.Real.empty() && info.Real == files_.Stat(script).Real)) {
        Fatal(out, "интерпретатор " + Quoted(name) +
                       " — сам сценарий (интерпретаторы по кругу или их цепочка слишком "
                       "длинна): система его не запустит.");
        return;
      }
      bool cr = false;
      const std::string next = Interpreter(data, &cr);
      if (cr) {
        Fatal(out, "интерпретатор " + Quoted(name) + " — сценарий с концами строк CR LF: "
                   "сценарий не запустится.");
        return;
      }
      Chain(name, next, depth + 1, out);
    } else if (data.substr(0, 4) == "\x7F" "ELF") {
      Elf(name, data, out, "интерпретатор " + Quoted(name) + ": ");
    } else {
      Fatal(out, whose + "интерпретатор " + Quoted(name) +
                     " — не программа: сценарий не запустится.");
    }
  }

  void RunBit(const std::string& path, InstallerKind& out) {
    if (files_.KnowsLinux() && !files_.Stat(path).Executable)
      Fatal(out, "у файла нет права на запуск (chmod +x): меню Linux его не запустит.");
  }

  FileProbe& files_;
};

}  // namespace

InstallerKind ClassifyInstaller(const std::string& path, FileProbe& files) {
  return Classifier(files).Run(path);
}

}  // namespace disc
