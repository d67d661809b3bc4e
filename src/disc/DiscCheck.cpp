#include "disc/DiscCheck.h"

#include <algorithm>
#include <cerrno>
#include <cstdint>
#include <filesystem>
#include <fstream>
#include <map>
#include <optional>
#include <unordered_map>

#ifndef _WIN32
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>
#endif

#include "config/Common.h"
#include "disc/Installer.h"
#include "disc/TextWidth.h"
#include "ui/Main.h"
#include "config/IniF.h"
#include "ui/_Consts.h"
#include "platform/Platform.h"
#include "platform/Profile.h"
#include "platform/ProfileParser.h"
#include "platform/TextDecode.h"

namespace disc {
namespace {

namespace fs = std::filesystem;
using platform::ProfileLine;
using Text = std::u16string_view;
namespace ini = inif::ini;

// Far beyond any real setup file; the menu's reader stops at the same size.
constexpr std::uintmax_t kMaxIniBytes = std::uintmax_t{256} << 20;

// A path from UTF-8 on every system (Windows paths are UTF-16).
fs::path U8(const std::string& s) { return fs::path(std::u8string(s.begin(), s.end())); }

std::string Utf8(Text s) { return platform::Utf16ToUtf8(s); }

bool SameName(Text a, const std::string& b) {
  return platform::ProfileNamesEqual(a, platform::Utf8ToUtf16(b));
}

std::string Lower(std::string s) {
  for (char& c : s)
    if (c >= 'A' && c <= 'Z') c = static_cast<char>(c - 'A' + 'a');
  return s;
}

// Edits to turn one name into the other; swapping two neighbours is one.
std::size_t EditDistance(const std::string& a, const std::string& b) {
  std::vector<std::vector<std::size_t>> d(a.size() + 1, std::vector<std::size_t>(b.size() + 1));
  for (std::size_t i = 0; i <= a.size(); ++i) d[i][0] = i;
  for (std::size_t j = 0; j <= b.size(); ++j) d[0][j] = j;
  for (std::size_t i = 1; i <= a.size(); ++i)
    for (std::size_t j = 1; j <= b.size(); ++j) {
      d[i][j] = std::min({d[i - 1][j] + 1, d[i][j - 1] + 1,
                          d[i - 1][j - 1] + (a[i - 1] != b[j - 1])});
      if (i > 1 && j > 1 && a[i - 1] == b[j - 2] && a[i - 2] == b[j - 1])
        d[i][j] = std::min(d[i][j], d[i - 2][j - 2] + 1);
    }
  return d[a.size()][b.size()];
}

// The known name a misspelt one most likely means: at most two edits away,
// and fewer than a third of its letters.
std::optional<std::string> Nearest(const std::string& name, const std::vector<std::string>& known) {
  const std::string want = Lower(name);
  std::optional<std::string> best;
  std::size_t bestDistance = 3;
  for (const std::string& k : known) {
    // More letters apart than edits allowed: not worth the table.
    if (want.size() > k.size() + 2 || k.size() > want.size() + 2) continue;
    const std::size_t d = EditDistance(want, Lower(k));
    if (d < bestDistance && d * 3 < k.size()) {
      best = k;
      bestDistance = d;
    }
  }
  return best;
}

std::string Quoted(const std::string& s) { return "«" + s + "»"; }

constexpr const char* kSaveAsUtf16 =
    "Сохраните файл в UTF-16 с меткой порядка байтов (в «Блокноте»: «Сохранить как», "
    "кодировка «UTF-16 LE»; из UTF-8: iconv -f UTF-8 -t UTF-16 setup.txt > setup.ini; "
    "«-t UTF-16LE» метки не пишет).";

std::string Utf8Of(const fs::path& p) {
  const std::u8string u = p.u8string();
  return std::string(u.begin(), u.end());
}

// Up to `size` bytes from `offset` of a regular file; "" for anything else.
// Nothing but a regular file is ever opened: a FIFO would block the open,
// a device could read without end.
std::string ReadRegular(const std::string& path, std::uint64_t offset, std::size_t size,
                        bool follow, bool* regular = nullptr) {
  if (regular) *regular = false;
#ifndef _WIN32
  const int fd = ::open(path.c_str(),
                        O_RDONLY | O_NONBLOCK | O_NOCTTY | O_CLOEXEC | (follow ? 0 : O_NOFOLLOW));
  if (fd < 0) return {};
  std::string out;
  struct stat st {};
  if (::fstat(fd, &st) == 0 && S_ISREG(st.st_mode)) {
    if (regular) *regular = true;
    const std::uint64_t left =
        offset < static_cast<std::uint64_t>(st.st_size) ? st.st_size - offset : 0;
    out.resize(static_cast<std::size_t>(std::min<std::uint64_t>(size, left)));
    std::size_t used = 0;
    while (used < out.size()) {
      const ssize_t n = ::pread(fd, out.data() + used, out.size() - used,
                                static_cast<off_t>(offset + used));
      if (n < 0 && errno == EINTR) continue;
      if (n <= 0) break;
      used += static_cast<std::size_t>(n);
    }
    out.resize(used);
  }
  ::close(fd);
  return out;
#else
  std::error_code ec;
  const fs::file_status st = follow ? fs::status(U8(path), ec) : fs::symlink_status(U8(path), ec);
  if (ec || st.type() != fs::file_type::regular) return {};
  if (regular) *regular = true;
  const std::uintmax_t length = fs::file_size(U8(path), ec);
  if (ec || offset >= length) return {};
  std::ifstream in(U8(path), std::ios::binary);
  in.seekg(static_cast<std::streamoff>(offset));
  if (!in) return {};
  std::string out(static_cast<std::size_t>(std::min<std::uintmax_t>(size, length - offset)), '\0');
  in.read(out.data(), static_cast<std::streamsize>(out.size()));
  out.resize(static_cast<std::size_t>(in.gcount()));
  return out;
#endif
}

// The disc's installers and the interpreters they name, on this machine.
class DiskProbe : public FileProbe {
 public:
  Info Stat(const std::string& path) override {
    Info info;
    std::error_code ec;
    const fs::path p = U8(path);
    const fs::file_type type = fs::status(p, ec).type();
    info.Kind = type == fs::file_type::regular     ? Type::Regular
                : type == fs::file_type::directory ? Type::Directory
                : type == fs::file_type::not_found || type == fs::file_type::none ? Type::Missing
                                                                                  : Type::Other;
    if (ec && info.Kind != Type::Missing) info.Kind = Type::Missing;
#ifndef _WIN32
    info.Executable = info.Kind == Type::Regular && ::access(path.c_str(), X_OK) == 0;
#endif
    const fs::path real = fs::canonical(p, ec);
    if (!ec) info.Real = Utf8Of(real);
    return info;
  }
  // `disc`: the disc folder, links resolved. Inside it nothing is read
  // through a link; the interpreters of this machine are links often.
  explicit DiskProbe(fs::path disc) : disc_(std::move(disc)) {}
  std::string Read(const std::string& path, std::uint64_t offset, std::size_t size) override {
    std::error_code ec;
    const fs::path lexical = fs::absolute(U8(path), ec).lexically_normal();
    const auto in = std::mismatch(disc_.begin(), disc_.end(), lexical.begin(), lexical.end());
    if (!disc_.empty() && in.first == disc_.end() &&
        fs::canonical(lexical.parent_path(), ec) != lexical.parent_path())
      return {};
    return ReadRegular(path, offset, size, disc_.empty() || in.first != disc_.end());
  }
  bool KnowsLinux() const override {
#ifdef _WIN32
    return false;
#else
    return true;
#endif
  }

 private:
  fs::path disc_;
};

#ifndef _WIN32
std::string Octal(unsigned mode) {
  std::string out;
  for (int shift = 6; shift >= 0; shift -= 3) out += static_cast<char>('0' + ((mode >> shift) & 7));
  return out;
}
#endif

// What a file system entry is, for the messages.
const char* KindName(fs::file_type type) {
  switch (type) {
    case fs::file_type::fifo: return "именованный канал (FIFO)";
    case fs::file_type::socket: return "сокет";
    case fs::file_type::block: return "блочное устройство";
    case fs::file_type::character: return "символьное устройство";
    case fs::file_type::directory: return "папка";
    case fs::file_type::symlink: return "символьная ссылка";
    default: return "файл особого рода";
  }
}

// Names as Joliet keeps them (what Windows shows): bytes that are not
// UTF-8 and control characters become '_', and so do * / : ; ? and '\'.
std::u16string JolietName(const std::string& name) {
  std::u16string out;
  std::size_t i = 0;
  while (i < name.size()) {
    const auto c = static_cast<unsigned char>(name[i]);
    const std::size_t want = c < 0x80 ? 1 : c >= 0xC2 && c < 0xE0 ? 2 : c >= 0xE0 && c < 0xF0 ? 3
                             : c >= 0xF0 && c < 0xF5 ? 4 : 0;
    std::size_t len = want;
    for (std::size_t k = 1; k < want; ++k)
      if (i + k >= name.size() || (static_cast<unsigned char>(name[i + k]) & 0xC0) != 0x80) len = 0;
    if (len == 0) {
      out += u'_';
      ++i;
      continue;
    }
    const std::u16string units = platform::Utf8ToUtf16(name.substr(i, len));
    i += len;
    if (units.size() == 1 && (units[0] < 0x20 || std::u16string_view(u"*/:;?\\").find(units[0]) !=
                                                     std::u16string_view::npos))
      out += u'_';
    else
      out += units;
  }
  return out;
}

class Checker {
 public:
  Checker(const std::string& dir, const CheckOptions& options) : options_(options) {
    report_.Disc = dir;
    programDir_ = dir;
    if (programDir_.empty()) programDir_ = ".";
    const char last = programDir_.back();
    if (last != '/' && last != platform::PathDelimiter()) programDir_ += platform::PathDelimiter();
  }

  ~Checker() {
#ifndef _WIN32
    if (dirFd_ >= 0) ::close(dirFd_);
#endif
  }

  Report Run() {
    std::error_code ec;
    const fs::path folder = U8(programDir_);
    const fs::file_type type = fs::status(folder, ec).type();
    if (type != fs::file_type::directory) {
      Add(Severity::Error, 0, "no-setup-ini",
          std::string(type == fs::file_type::not_found || type == fs::file_type::none
                          ? "Нет папки диска"
                          : "Это не папка") +
              ": setup.ini не прочесть, меню сообщит, что не может загрузить информацию для "
              "инсталляции, и закроется.");
      return std::move(report_);
    }
    root_ = fs::canonical(folder, ec);
    std::string bytes;
    const bool read = ReadIni(bytes);
    if (read && Encoding(bytes)) {
      Scan(bytes);
      // The menu's own readers from here on, pointed at the disc.
      common::ResetSettings();
      common::ProgramDir = ReaderDir();
      inif::LoadSetupNames();
      report_.Caption = common::WindowName;
      Shown();
      Installers();
      WindowsReadsUtf8();
      Widths();
    }
    Walk();
    return std::move(report_);
  }

 private:
  Finding& Add(Severity level, int line, const char* code, std::string message,
               std::string section = {}, std::string key = {}, std::string path = {}) {
    report_.Findings.push_back({level, line, code, std::move(message), std::move(section),
                                std::move(key), std::move(path)});
    return report_.Findings.back();
  }

  // The folder the menu's readers get. On Linux a backslash is a letter of
  // the folder's own name, which the readers would take for a separator;
  // the folder's descriptor names it without any.
  std::string ReaderDir() {
#ifndef _WIN32
    if (dirFd_ < 0) dirFd_ = ::open(programDir_.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (dirFd_ >= 0) return "/proc/self/fd/" + std::to_string(dirFd_) + "/";
#endif
    return programDir_;
  }

  static std::u16string KeyOf(Text section, Text key) {
    return platform::ProfileNameKey(section) + u'\n' + platform::ProfileNameKey(key);
  }

  // Where the reader finds a key: the line, or 0 when it finds none.
  int LineOf(const std::string& section, const std::string& key) const {
    const auto at = keyLines_.find(
        KeyOf(platform::Utf8ToUtf16(section), platform::Utf8ToUtf16(key)));
    return at == keyLines_.end() ? 0 : at->second;
  }

  int SectionLine(const std::string& section) const {
    const auto at = sectionLines_.find(platform::ProfileNameKey(platform::Utf8ToUtf16(section)));
    return at == sectionLines_.end() ? 0 : at->second;
  }

  // What is at `path` itself, a link not followed; "" a regular file.
  static std::string NotRegular(const fs::path& path, fs::file_type& type) {
    std::error_code ec;
    type = fs::symlink_status(path, ec).type();
    if (type == fs::file_type::regular) return {};
    if (type == fs::file_type::not_found || type == fs::file_type::none) return "нет файла";
    return KindName(type);
  }

  // Where a link points, shown as it is written.
  static std::string Target(const fs::path& link) {
    std::error_code ec;
    return Utf8Of(fs::read_symlink(link, ec));
  }

  // Whether the link at `link`, with every further link resolved, points
  // inside the disc folder; `resolves`: it leads to something that exists.
  bool Inside(const fs::path& link, bool& resolves) const {
    std::error_code ec;
    const fs::path target = fs::read_symlink(link, ec);
    fs::path parent = fs::canonical(fs::absolute(link, ec).parent_path(), ec);
    const fs::path full = target.is_absolute() ? target : parent / target;
    fs::path real = fs::canonical(full, ec);
    resolves = !ec;
    if (ec) real = full.lexically_normal();
    const auto mismatch = std::mismatch(root_.begin(), root_.end(), real.begin(), real.end());
    return mismatch.first == root_.end();
  }

  bool ReadIni(std::string& bytes) {
    const std::string path = programDir_ + inif::kIniFileName;
    const fs::path file = U8(path);
    fs::file_type type{};
    std::string why = NotRegular(file, type);
    if (type == fs::file_type::symlink) {
      bool resolves = false;
      const bool inside = Inside(file, resolves);
      why = "символьная ссылка на " + Quoted(Target(file)) +
            (!resolves ? ", которая никуда не ведёт" : inside ? "" : " за пределами папки диска") +
            " (Windows не увидит файла, и проверка не читает через ссылку)";
    } else if (std::error_code ec; why.empty() && fs::file_size(file, ec) > kMaxIniBytes && !ec) {
      why = "он больше 256 МБ";
    } else if (why.empty()) {
      bool regular = false;
      bytes = ReadRegular(path, 0, kMaxIniBytes + 1, false, &regular);
      if (!regular) why = "его нельзя прочитать";
      else if (bytes.size() > kMaxIniBytes) why = "он больше 256 МБ";
      else return true;
    }
    Add(Severity::Error, 0, "no-setup-ini",
        "setup.ini не прочесть: " + why +
            "; меню сообщит, что не может загрузить информацию для инсталляции, и закроется.");
    return false;
  }

  // UTF-16 without a byte-order mark: read in one byte order, nearly every
  // unit is Latin (high byte 0), Cyrillic (4) or punctuation (0x20, 0x21),
  // and some are line ends or brackets. No 8-bit text has those zeros.
  static const char* Utf16WithoutMark(const std::string& bytes) {
    if (bytes.size() < 4 || bytes.size() % 2) return nullptr;
    const std::size_t units = bytes.size() / 2;
    for (const std::size_t high : {1, 0}) {
      std::size_t plausible = 0, structure = 0;
      for (std::size_t i = 0; i < units; ++i) {
        const auto hi = static_cast<unsigned char>(bytes[2 * i + high]);
        const char lo = bytes[2 * i + 1 - high];
        plausible += hi == 0 || hi == 4 || hi == 0x20 || hi == 0x21;
        structure += hi == 0 && (lo == '\n' || lo == '\r' || lo == '[' || lo == '=');
      }
      if (structure && plausible * 10 >= units * 9) return high ? "UTF-16 LE" : "UTF-16 BE";
    }
    return nullptr;
  }

  // False when the menu cannot read the file's text at all.
  bool Encoding(const std::string& bytes) {
    const bool ascii = std::all_of(bytes.begin(), bytes.end(),
                                   [](char c) { return static_cast<unsigned char>(c) < 0x80; });
    std::string name, said;
    const platform::ProfileEncoding encoding = platform::DetectProfileEncoding(bytes);
    const char* unmarked =
        encoding == platform::ProfileEncoding::Utf8 || encoding == platform::ProfileEncoding::Cp1251
            ? Utf16WithoutMark(bytes)
            : nullptr;
    switch (encoding) {
      case platform::ProfileEncoding::Utf16Le:
        name = "utf-16le", said = "UTF-16 LE с меткой порядка байтов";
        break;
      case platform::ProfileEncoding::Utf16Be:
        name = "utf-16be", said = "UTF-16 BE с меткой порядка байтов";
        break;
      case platform::ProfileEncoding::Utf8Bom:
        name = "utf-8-bom", said = "UTF-8 с меткой порядка байтов";
        break;
      case platform::ProfileEncoding::Utf8:
        name = ascii ? "ascii" : "utf-8";
        said = ascii ? "только латиница (ASCII)" : "UTF-8";
        break;
      case platform::ProfileEncoding::Cp1251:
        name = "cp1251", said = "Windows-1251";
        break;
    }
    if (unmarked) {
      name = unmarked[7] == 'L' ? "utf-16le-no-bom" : "utf-16be-no-bom";
      said = std::string(unmarked) + " без метки порядка байтов";
    }
    report_.Encoding = name;
    Add(Severity::Info, 0, "encoding", "Кодировка setup.ini: " + said + ".");
    if (unmarked) {
      Add(Severity::Error, 0, "no-bom",
          std::string("Файл в ") + unmarked + " без метки порядка байтов: меню его не прочтёт "
          "(без метки оно читает файл как 8-битный текст) и сообщит, что не может загрузить "
          "информацию для инсталляции. " + std::string(kSaveAsUtf16));
      return false;
    }
    if (name == "utf-8-bom")
      Add(Severity::Warning, 0, "code-page",
          "Не всякая Windows читает файл с меткой UTF-8 как UTF-8: где нет, программа для "
          "Windows прочтёт его через системную кодовую страницу, и русский текст будет "
          "искажён. " + std::string(kSaveAsUtf16));
    else if (name == "utf-8" && !ascii)
      utf8Text_ = report_.Findings.size(),
      Add(Severity::Warning, 0, "code-page",
          "Программа для Windows читает файл без метки через системную кодовую страницу: "
          "русский текст в UTF-8 она покажет искажённым на любой Windows. " +
              std::string(kSaveAsUtf16));
    else if (name == "cp1251")
      Add(Severity::Warning, 0, "code-page",
          "Программа для Windows читает файл через системную кодовую страницу: на Windows, "
          "где она не 1251, русский текст будет искажён. " + std::string(kSaveAsUtf16));
    return true;
  }

  // Russian text in UTF-8 is garbled by every Windows: on a disc whose
  // installer is a Windows program that is no disc at all.
  void WindowsReadsUtf8() {
    if (!utf8Text_ || !(options_.WindowsOnly || prgWindows_)) return;
    Finding& f = report_.Findings[*utf8Text_];
    f.Level = Severity::Error;
    f.Message = "Установщик диска — программа Windows, а setup.ini в UTF-8 с русским текстом: "
                "Windows читает файл без метки через системную кодовую страницу, и меню для "
                "Windows покажет весь русский текст искажённым на любой Windows. " +
                std::string(kSaveAsUtf16);
  }

  void Scan(const std::string& bytes) {
    // Kept: the names in keys_ point into it.
    text_ = platform::DecodeProfileText(bytes);
    platform::ProfileLines lines(text_);
    const ini::TSection* known = nullptr;
    bool active = false;  // inside the first section of its name
    bool any = false;     // past the first header
    for (ProfileLine line; lines.Next(line);) {
      const int n = static_cast<int>(line.Number);
      if (line.IsSection) {
        any = true;
        SectionHeader(line, known, active);
        continue;
      }
      if (line.Text[0] == u';') continue;  // a comment to people; never a key we read
      if (!any) {
        Add(Severity::Warning, n, "outside-section",
            "Строка до первого раздела: меню её не читает.");
        continue;
      }
      // A repeated or unknown section: said once at its header.
      if (!active || !known) continue;
      if (line.Text[0] == u'[') {
        Add(Severity::Warning, n, "unclosed-section",
            "Нет закрывающей «]»: строка читается не как начало раздела, а как ключ.");
        continue;
      }
      KeyLine(line, known);
    }
  }

  void SectionHeader(const ProfileLine& line, const ini::TSection*& known, bool& active) {
    const int n = static_cast<int>(line.Number);
    const std::string name = Utf8(line.Name);
    const auto [at, first] = sectionLines_.emplace(platform::ProfileNameKey(line.Name), n);
    if (!first) {
      Add(Severity::Warning, n, "duplicate-section",
          "Раздел [" + name + "] повторяется (первый в строке " + std::to_string(at->second) +
              "): меню читает только первый, ключи этого не действуют.", name);
      active = false;
      return;
    }
    active = true;
    known = nullptr;
    std::vector<std::string> names;
    for (const ini::TSection& k : ini::KnownSections()) {
      if (SameName(line.Name, k.Name)) known = &k;
      names.push_back(k.Name);
    }
    if (known) {
      section_ = line.Name;
      return;
    }
    section_ = {};
    std::string message = "Раздел [" + name + "] меню не знает";
    if (const auto near = Nearest(name, names))
      message += "; может быть, [" + *near + "]?";
    else
      message += ".";
    Add(Severity::Warning, n, "unknown-section", message, name);
  }

  void KeyLine(const ProfileLine& line, const ini::TSection* known) {
    const int n = static_cast<int>(line.Number);
    const std::string name = Utf8(line.Name);
    const auto Add = [&](Severity level, int at, const char* code, std::string message) {
      this->Add(level, at, code, std::move(message), known ? known->Name : Utf8(section_), name);
    };
    if (!line.HasEquals)
      Add(Severity::Warning, n, "no-equals",
          "В строке нет «=»: меню читает её как ключ " + Quoted(name) +
              " без значения, и следующие строки с этим ключом не действуют.");
    const auto [at, first] = keyLines_.emplace(KeyOf(section_, line.Name), n);
    if (!first) {
      Add(Severity::Warning, n, "duplicate-key",
          "Ключ " + Quoted(name) + " повторяется: меню берёт строку " +
              std::to_string(at->second) + ".");
      return;
    }
    if (known && std::none_of(known->Keys.begin(), known->Keys.end(),
                              [&](const std::string& k) { return SameName(line.Name, k); }))
      UnknownKey(n, name, *known);
    if (!line.HasEquals) return;
    if (line.Value.find(u';') != Text::npos)
      Add(Severity::Warning, n, "semicolon",
          "«;» не в начале строки не начинает примечание: он и всё после него входят в "
          "значение.");
    bool cut = false;
    platform::FinishProfileValue(line.Value, &cut);
    if (cut)
      Add(Severity::Warning, n, "value-cut",
          "Значение длиннее " + std::to_string(platform::kProfileValueMax) +
              " знаков: меню возьмёт только первые " +
              std::to_string(platform::kProfileValueMax) + ".");
  }
  void UnknownKey(int n, const std::string& name, const ini::TSection& known) {
    std::string message = "Ключ " + Quoted(name) + " в разделе [" + known.Name + "] меню не знает";
    if (const auto near = Nearest(name, known.Keys))
      message += "; может быть, " + Quoted(*near) + "?";
    else if (const char* home = SectionOfKey(name))
      message += "; он читается в разделе [" + std::string(home) + "].";
    else
      message += ".";
    Add(Severity::Warning, n, "unknown-key", message, known.Name, name);
  }

  static const char* SectionOfKey(const std::string& name) {
    for (const ini::TSection& section : ini::KnownSections())
      for (const std::string& k : section.Keys)
        if (SameName(platform::Utf8ToUtf16(name), k)) return section.Name;
    return nullptr;
  }

  void ShowValue(const char* code, const char* what, const std::string& section,
                 const std::string& key, const std::string& value, const char* fallback) {
    const int line = LineOf(section, key);
    std::string message = std::string(what) + ": " + Quoted(value);
    if (value.empty())
      message += " (пусто)";
    else if (fallback && value == fallback)
      message += " (по умолчанию)";
    Add(Severity::Info, line, code, message + ".", section, key);
  }

  void Shown() {
    ShowValue("caption", "Заголовок окна", ini::kSetup, ini::kWindowName, common::WindowName,
              common::kDefaultWindowName);
    ShowValue("status-line", "Строка состояния", ini::kSetup, ini::kSystemName, common::SystemName,
              common::kDefaultSystemName);
    ShowValue("date-line", "Строка даты", ini::kDate, ini::kDateKey, inif::GetSetupDate(), nullptr);
  }

  // The labels size themselves to their text in a window of fixed width:
  // what passes its right edge is not drawn.
  void Widths() {
    const ui::TFormLayout& layout = ui::MainLayout();
    TSetupRec prg;
    const bool usable = inif::LoadSetupRec(ini::kPrg, prg);
    const struct {
      int Id;
      const char* What;
      std::string Text;
      const char* Section;
      const char* Key;
    } labels[] = {
        {ui::StatusLabel, "Строка состояния", common::SystemName, ini::kSetup, ini::kSystemName},
        {ui::DateLabel, "Строка даты", inif::GetSetupDate(), ini::kDate, ini::kDateKey},
        {ui::SoftLabel, "Надпись у кнопки установки", usable ? prg.SetupName : "", ini::kPrg,
         ini::kName},
    };
    for (const auto& label : labels) {
      const ui::TControlRow* row = layout.Find(label.Id);
      if (!row || !row->Font) continue;
      const std::u16string text = platform::Utf8ToUtf16(label.Text);
      const int room = layout.ClientWidth - row->Left;
      const int width = TextWidth(text, row->Font->PixelHeight);
      if (width <= room) continue;
      std::size_t shown = 0;
      while (shown < text.size() && TextWidth(std::u16string_view(text).substr(0, shown + 1),
                                              row->Font->PixelHeight) <= room)
        ++shown;
      Add(Severity::Warning, LineOf(label.Section, label.Key), "too-wide",
          std::string(label.What) + " шириной около " + std::to_string(width) +
              " пикселей, а до края окна " + std::to_string(room) +
              ": окно не растягивается, и видно будет только " +
              Quoted(Utf8(std::u16string_view(text).substr(0, shown))) +
              ". Сократите текст (на экране с масштабом больше 100% окно и шрифт растут "
              "вместе, так что обрезано будет то же).",
          label.Section, label.Key);
    }
  }

  // Native form of a path the menu builds: setup.ini's part uses '\'.
  std::string Native(const std::string& location) const {
    return programDir_ + platform::NativePath(location);
  }

  void Installers() {
    TSetupRec prg;
    // A broken [PRG] is the error it is, and the rest is checked all the
    // same, so that one run tells every mistake.
    const bool usable = inif::LoadSetupRec(ini::kPrg, prg);
    if (!usable) {
      const char* missing = !SectionLine(ini::kPrg) ? "нет раздела [PRG]"
                            : inif::ReadSetupValue(ini::kPrg, ini::kName).empty()
                                ? "в [PRG] пуст ключ «Name»"
                                : "в [PRG] пуст ключ «Location»";
      Add(Severity::Error, SectionLine(ini::kPrg), "prg",
          std::string("Меню не откроется: ") + missing +
              ", и оно сообщит, что не может загрузить информацию для инсталляции.",
          ini::kPrg);
    } else {
      ShowValue("install-label", "Надпись у кнопки установки", ini::kPrg, ini::kName, prg.SetupName,
                nullptr);
      const bool ownHint = !prg.SetupHint.empty();
      ShowValue("install-hint", "Подсказка кнопки установки", ini::kPrg, ini::kSetupHint,
                ownHint ? prg.SetupHint : common::kDefaultSetupHint,
                ownHint ? nullptr : common::kDefaultSetupHint);
    }
    Installer(ini::kPrg, ini::kLocation, Severity::Error);
    for (int i = 1; i <= ini::kAddLocations; ++i)
      Installer(ini::kAdd, ini::kLocation + std::to_string(i), Severity::Warning);
    for (int i = 1; i <= ini::kSrvLocations; ++i)
      Installer(ini::kSrv, ini::kLocation + std::to_string(i), Severity::Warning);
    // Read only when [PRG] is usable; a half-filled one counts as absent.
    for (const char* section : ini::kOtherRecords) {
      const bool name = !inif::ReadSetupValue(section, ini::kName).empty();
      const bool location = !inif::ReadSetupValue(section, ini::kLocation).empty();
      if (name && location)
        Installer(section, ini::kLocation, Severity::Warning);
      else if (name || location)
        Add(Severity::Warning, SectionLine(section), "half-filled",
            std::string("В [") + section + "] задан только «" + (name ? ini::kName : ini::kLocation) +
                "»: меню считает, что раздела нет.", section);
    }
    Manuals();
    ServiceDb();
  }

  // `cannot`: how much it matters that the menu cannot start it.
  void Installer(const std::string& section, const std::string& key, Severity cannot) {
    const std::string location = inif::ReadSetupValue(section, key);
    if (location.empty()) return;
    const int line = LineOf(section, key);
    std::string path = Native(location);
    const std::string head = "[" + section + "] " + key + ": " + Quoted(path);
    const auto Add = [&](Severity level, const char* code, std::string message) {
      return this->Add(level, line, code, std::move(message), section, key);
    };
    if (const std::optional<std::string> disk = OtherCase(location)) {
      path = Native(*disk);
      if (!options_.WindowsOnly)
        Add(Severity::Warning, "installer-case",
            head + " — на диске " + Quoted(*disk) + ": буквы различаются регистром. Windows "
            "файл откроет, а меню для Linux на этом диске его не найдёт. Напишите имя в "
            "setup.ini так же, как на диске.");
    }
    const fs::path file = U8(path);
    fs::file_type type{};
    const std::string what = NotRegular(file, type);
    if (type == fs::file_type::symlink) {
      // Windows sees no file there; the Linux menu would start what the
      // link names, which outside the folder is whatever the machine holds.
      bool resolves = false;
      const bool inside = Inside(file, resolves);
      Add(inside ? Severity::Warning : Severity::Error, "installer",
          head + " — символьная ссылка на " + Quoted(Target(file)) +
              (inside ? "" : " за пределами папки диска") +
              ": Windows не увидит на диске файла, и проверка не читает через ссылку.");
      return;
    }
    if (!what.empty()) {
      Add(type == fs::file_type::not_found || type == fs::file_type::none ||
                  type == fs::file_type::directory
              ? cannot
              : Severity::Error,
          "installer",
          head + (type == fs::file_type::directory ? " — это папка, а не программа."
                  : what == "нет файла"             ? " — нет такого файла."
                                                    : " — " + what + ", а не программа."));
      return;
    }
    DiskProbe probe(root_);
    const InstallerKind kind = ClassifyInstaller(path, probe);
    Add(Severity::Info, "installer", head + " — " + kind.Kind + ".");
    for (const InstallerProblem& p : kind.Problems)
      Add(p.Fatal ? cannot : Severity::Warning, "installer-start", head + ": " + p.Text);
    const bool windows = kind.Kind.find("Windows") != std::string::npos;
    if (section != ini::kPrg || !windows) return;
    prgWindows_ = true;
    if (!options_.WindowsOnly)
      Add(Severity::Warning, "installer-linux",
          head + ": меню для Linux, которое образ кладёт на диск, программу Windows не "
                 "запустит: на Linux кнопка установки только сообщит «" +
              consts::SBadFormat + "» Если диск только для Windows, соберите образ с "
                                   "--windows-only.");
  }

  // The disc's own spelling of a location that names a file only when
  // letter case is ignored, as Windows reads names; nothing when it is
  // spelt as on the disc or not there at all.
  std::optional<std::string> OtherCase(const std::string& location) const {
    std::string rel, part;
    bool differs = false;
    fs::path at = U8(programDir_);
    const auto step = [&]() {
      if (part.empty() || part == ".") return true;
      std::error_code ec;
      std::string found;
      if (part != "..")
        for (fs::directory_iterator it(at, ec), end; !ec && it != end; it.increment(ec)) {
          const std::string name = Utf8Of(it->path().filename());
          if (name == part) {
            found = name;
            break;
          }
          if (found.empty() && SameName(platform::Utf8ToUtf16(part), name)) found = name;
        }
      if (part == "..") found = part;
      if (found.empty()) return false;
      differs |= found != part;
      at /= U8(found);
      rel += (rel.empty() ? "" : "/") + found;
      part.clear();
      return true;
    };
    for (const char c : location) {
      if (c == '\\' || c == '/') {
        if (!step()) return std::nullopt;
      } else {
        part += c;
      }
    }
    if (!step() || !differs) return std::nullopt;
    return rel;
  }

  void Manuals() {
    const auto Add = [this](Severity level, int at, const char* code, std::string message) {
      this->Add(level, at, code, std::move(message), ini::kDocBase, ini::kDocBaseDir);
    };
    const std::string dir = inif::ReadSetupValue(ini::kDocBase, ini::kDocBaseDir);
    const int line = LineOf(ini::kDocBase, ini::kDocBaseDir);
    if (dir.empty()) {
      Add(Severity::Info, line, "manuals",
          "Руководства: кнопка откроет папку самого диска (ключ «DocDaseDir» не задан).");
      return;
    }
    std::error_code ec;
    const std::string path = Native(dir);
    if (fs::exists(U8(path), ec))
      Add(Severity::Info, line, "manuals", "Руководства: кнопка откроет " + Quoted(path) + ".");
    else if (const std::optional<std::string> disk = OtherCase(dir))
      Add(options_.WindowsOnly ? Severity::Info : Severity::Warning, line, "manuals-case",
          "Руководства: на диске " + Quoted(*disk) + ", а не " + Quoted(dir) +
              ": буквы различаются регистром. Windows папку откроет, а меню для Linux на этом "
              "диске сообщит об ошибке. Напишите имя в setup.ini так же, как на диске.");
    else
      Add(Severity::Warning, line, "manuals",
          "Руководства: нет " + Quoted(path) + ", кнопка сообщит об ошибке.");
  }

  void ServiceDb() {
    const auto Add = [this](Severity level, int at, const char* code, std::string message) {
      this->Add(level, at, code, std::move(message), ini::kService, ini::kPath);
    };
    const std::string dir = inif::GetServicePath();
    const int line = LineOf(ini::kService, ini::kPath);
    if (dir.empty()) {
      Add(Severity::Info, line, "service-db",
          "Служебной базы на диске нет (ключ «Path» в [SERVICE] не задан).");
      return;
    }
    std::error_code ec;
    const std::string folder = Native(dir);
    const std::string file = Native(dir + "\\" + inif::kServiceDbName);
    if (!fs::is_directory(U8(folder), ec))
      Add(Severity::Warning, line, "service-db",
          "Служебная база: нет папки " + Quoted(folder) + ".");
    else if (!fs::is_regular_file(U8(file), ec))
      Add(Severity::Warning, line, "service-db",
          "Служебная база: в папке " + Quoted(folder) + " нет файла " +
              Quoted(inif::kServiceDbName) + ".");
    else
      Add(Severity::Info, line, "service-db", "Служебная база: " + Quoted(file) + ".");
  }

  // Every entry of the folder, links not followed: what the image would
  // hold that Windows cannot show, or that no disc should carry.
  void Walk() {
    std::error_code ec;
    fs::recursive_directory_iterator it(U8(programDir_),
                                        fs::directory_options::skip_permission_denied, ec);
    for (; !ec && it != fs::recursive_directory_iterator(); it.increment(ec)) {
      const fs::directory_entry& entry = *it;
      const fs::path relative = entry.path().lexically_relative(U8(programDir_));
      const std::u8string generic = relative.generic_u8string();
      const std::string rel(generic.begin(), generic.end());
      const std::string shown = programDir_ + Utf8Of(relative);
      std::error_code statEc;
      const fs::file_status st = entry.symlink_status(statEc);
      folders_[Utf8Of(entry.path().parent_path())].push_back(
          {Utf8Of(entry.path().filename()), shown, rel, st.type() == fs::file_type::directory});
      switch (st.type()) {
        case fs::file_type::regular:
        case fs::file_type::directory:
          Private(shown, rel, st);
          break;
        case fs::file_type::symlink: {
          bool resolves = false;
          const bool inside = Inside(entry.path(), resolves);
          const std::string target = Quoted(Target(entry.path()));
          if (inside)
            Add(Severity::Warning, 0, "link",
                Quoted(shown) + " — символьная ссылка на " + target +
                    (resolves ? "" : ", которая никуда не ведёт") +
                    ": Windows не увидит там файла, на Linux это останется ссылкой.",
                {}, {}, rel);
          else
            Add(Severity::Error, 0, "link-outside",
                Quoted(shown) + " — символьная ссылка на " + target +
                    " за пределами папки диска: с диска она укажет на то, что лежит по этому "
                    "пути на машине, где диск вставлен.",
                {}, {}, rel);
          break;
        }
        default:
          Add(Severity::Error, 0, "special-file",
              Quoted(shown) + " — " + KindName(st.type()) +
                  ": такому не место на диске (устройство на диске, смонтированном без nodev, "
                  "даст любому пользователю доступ к нему; канал и сокет не прочесть).",
              {}, {}, rel);
          break;
      }
    }
    for (auto& [folder, entries] : folders_) Names(entries);
  }

  struct Entry {
    std::string Name;
    std::string Shown;
    std::string Rel;  // from the disc folder, with '/'
    bool Folder;
  };

  // Windows shows the Joliet names of a folder; Linux the names themselves.
  // xorriso cuts a long name (keeping a file's extension) and numbers the
  // names that come out alike, in the order of the names on Linux.
  void Names(std::vector<Entry>& entries) {
    std::sort(entries.begin(), entries.end(),
              [](const Entry& a, const Entry& b) { return a.Name < b.Name; });
    std::vector<std::u16string> replaced, joliet;
    std::unordered_map<std::u16string, std::vector<std::size_t>> alike;
    for (std::size_t i = 0; i < entries.size(); ++i) {
      replaced.push_back(JolietName(entries[i].Name));
      joliet.push_back(JolietCut(replaced.back(), entries[i].Folder, 0));
      alike[joliet.back()].push_back(i);
    }
    std::vector<std::u16string> shown = joliet;
    std::vector<bool> guessed(entries.size());
    for (const auto& [name, group] : alike) {
      if (group.size() < 2) continue;
      for (std::size_t k = 0; k < group.size(); ++k) {
        const std::size_t i = group[k];
        shown[i] = JolietCut(replaced[i], entries[i].Folder, 1);
        const std::size_t dot = entries[i].Folder ? std::u16string::npos : shown[i].rfind(u'.');
        shown[i].insert(dot == std::u16string::npos || dot == 0 ? shown[i].size() : dot, 1,
                        static_cast<char16_t>(u'0' + k % 10));
        // Past ten, or meeting another name, xorriso numbers otherwise.
        guessed[i] = group.size() > 10 || alike.count(shown[i]) > 0;
      }
    }
    for (std::size_t i = 0; i < entries.size(); ++i) {
      const std::u16string own = platform::Utf8ToUtf16(entries[i].Name);
      if (shown[i] == own && replaced[i] == own) continue;
      std::string message = "Windows покажет имя " + Quoted(entries[i].Shown);
      if (guessed[i])
        message += " с номером, который выберет xorriso (после замен в папке совпадают имена " +
                   Quoted(Utf8(joliet[i])) + ")";
      else
        message += " как " + Quoted(Utf8(shown[i]));
      std::vector<std::string> why;
      if (replaced[i] != own)
        why.push_back("управляющие знаки, знаки * / : ; ? \\ и байты не в UTF-8 заменяются на «_»");
      if (replaced[i].size() != joliet[i].size())
        why.push_back("имя длиннее " + std::to_string(kJolietUnits) + " знаков укорачивается");
      if (alike[joliet[i]].size() > 1) why.push_back("одинаковые после этого имена нумеруются");
      message += " (";
      for (std::size_t k = 0; k < why.size(); ++k) message += (k ? "; " : "") + why[k];
      Add(Severity::Warning, 0, "name",
          message + "). Переименуйте его так, чтобы имя было одинаковым в обеих системах.", {},
          {}, entries[i].Rel);
    }
    Refused(entries, shown);
  }

  // Names Joliet keeps but Windows will not open as they stand, and names
  // Windows takes for one: `shown` are the Joliet names.
  void Refused(const std::vector<Entry>& entries, const std::vector<std::u16string>& shown) {
    std::unordered_map<std::u16string, std::size_t> first;
    for (std::size_t i = 0; i < entries.size(); ++i) {
      const Entry& e = entries[i];
      const std::u16string& name = shown[i];
      const auto Say = [&](const char* code, const std::string& what) {
        Add(Severity::Warning, 0, code, what, {}, {}, e.Rel);
      };
      const std::size_t bad = name.find_first_of(u"\"<>|");
      if (bad != std::u16string::npos)
        Say("name-refused", "в имени " + Quoted(Utf8(name)) + " знак «" +
                                Utf8(name.substr(bad, 1)) +
                                "», которого Windows в именах не допускает: файл на диске будет "
                                "виден, но Windows его не откроет. Уберите из имени знаки "
                                "< > \" | (и * ? : / \\).");
      std::u16string stem = name.substr(0, name.find(u'.'));
      while (!stem.empty() && stem.back() == u' ') stem.pop_back();
      if (IsDevice(platform::ProfileNameKey(stem)))
        Say("name-device", "имя " + Quoted(Utf8(name)) + " начинается с имени устройства " +
                               Utf8(stem) + ": Windows по нему откроет устройство, а не файл, "
                               "с каким угодно расширением. Переименуйте его.");
      if (!name.empty() && (name.back() == u'.' || name.back() == u' '))
        Say("name-trailing", "имя " + Quoted(Utf8(name)) + " кончается " +
                                 (name.back() == u'.' ? "точкой" : "пробелом") +
                                 ": Windows отбрасывает их в конце имени и не откроет " +
                                 (e.Folder ? "папку" : "файл") + ". Уберите " +
                                 (name.back() == u'.' ? "точку." : "пробел."));
      const auto [at, unique] = first.emplace(platform::ProfileNameKey(name), i);
      if (!unique)
        Say("name-case", Quoted(entries[at->second].Rel) + " и " + Quoted(e.Rel) +
                             " различаются только регистром букв: для Windows это одно имя, "
                             "и она откроет только один из них. Переименуйте один.");
    }
  }

  static bool IsDevice(const std::u16string& stem) {
    for (const char16_t* device : {u"CON", u"PRN", u"AUX", u"NUL"})
      if (stem == platform::ProfileNameKey(device)) return true;
    if (stem.size() != 4 || stem[3] < u'1' || stem[3] > u'9') return false;
    const std::u16string head = stem.substr(0, 3);
    return head == platform::ProfileNameKey(u"COM") || head == platform::ProfileNameKey(u"LPT");
  }

  // Joliet's room for a name: 103 units; a file's name and extension 103
  // with the dot apart, the extension kept whole up to 3 units; `digits`
  // fewer for a number.
  static std::u16string JolietCut(const std::u16string& name, bool folder, std::size_t digits) {
    const std::size_t room = kJolietUnits - digits;
    const std::size_t dot = folder ? std::u16string::npos : name.rfind(u'.');
    if (dot == std::u16string::npos || dot == 0) return name.substr(0, room);
    std::u16string base = name.substr(0, dot), ext = name.substr(dot + 1);
    if (base.size() + ext.size() <= room) return name;
    ext.resize(std::min(ext.size(),
                        std::max<std::size_t>(3, room > base.size() ? room - base.size() : 0)));
    base.resize(std::min(base.size(), room - ext.size()));
    return base + u'.' + ext;
  }

  // The image is readable by all; a file kept from others is not kept so.
  void Private([[maybe_unused]] const std::string& shown, [[maybe_unused]] const std::string& rel,
               [[maybe_unused]] const fs::file_status& st) {
#ifndef _WIN32
    if ((st.permissions() & fs::perms::others_read) == fs::perms::none)
      Add(Severity::Warning, 0, "private",
          Quoted(shown) + " читается не всеми (права " +
              Octal(static_cast<unsigned>(st.permissions()) & 0777) +
              "), а на диске его прочтёт всякий.", {}, {}, rel);
#endif
  }

  static constexpr std::size_t kJolietUnits = 103;

  CheckOptions options_;
  Report report_;
  std::optional<std::size_t> utf8Text_;  // the finding on Russian text in UTF-8
  bool prgWindows_ = false;              // [PRG] names a Windows program
  std::string programDir_;
  fs::path root_;
  std::u16string text_;
  std::unordered_map<std::u16string, int> sectionLines_;
  std::unordered_map<std::u16string, int> keyLines_;
  std::map<std::string, std::vector<Entry>> folders_;
  Text section_;
#ifndef _WIN32
  int dirFd_ = -1;
#endif
};

}  // namespace

Report CheckDisc(const std::string& dir, const CheckOptions& options) {
  return Checker(dir, options).Run();
}

}  // namespace disc
