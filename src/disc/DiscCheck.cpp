#include "disc/DiscCheck.h"

#include <algorithm>
#include <array>
#include <cstdint>
#include <filesystem>
#include <fstream>
#include <optional>

#ifndef _WIN32
#include <sys/stat.h>
#include <unistd.h>
#endif

#include "config/Common.h"
#include "config/IniF.h"
#include "platform/Profile.h"
#include "platform/ProfileParser.h"
#include "platform/TextDecode.h"

namespace disc {
namespace {

namespace fs = std::filesystem;
using platform::ProfileLine;
using Text = std::u16string_view;

// Far beyond any real setup file; the menu's reader stops at the same size.
constexpr std::uintmax_t kMaxIniBytes = std::uintmax_t{256} << 20;

struct KnownSection {
  const char* Name;
  std::vector<std::string> Keys;
};

const std::vector<KnownSection>& KnownSections() {
  static const std::vector<KnownSection> known = [] {
    const auto locations = [](int n) {
      std::vector<std::string> keys;
      for (int i = 1; i <= n; ++i) keys.push_back("Location" + std::to_string(i));
      return keys;
    };
    // Every section read as a setup record has all four keys read.
    const std::vector<std::string> record = {"Name", "Location", "SetupHint", "SetupHelpHint"};
    return std::vector<KnownSection>{
        {"SETUP", {"WindowName", "SystemName"}}, {"PRG", record},
        {"ADD", locations(7)},  {"SRV", locations(4)},
        {"SERVICE", {"Path"}},  {"DOCBASE", {"DocDaseDir"}},
        {"DATE", {"Date"}},     {"DOCSETUP", record},
        {"IBSETUP", record},    {"DBSETUP", record},
    };
  }();
  return known;
}

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
    const std::size_t d = EditDistance(want, Lower(k));
    if (d < bestDistance && d * 3 < k.size()) {
      best = k;
      bestDistance = d;
    }
  }
  return best;
}

std::string Quoted(const std::string& s) { return "«" + s + "»"; }

// A little-endian 16-bit field of a file header; 0 past its end.
unsigned Le16(std::string_view data, std::size_t at) {
  if (at + 2 > data.size()) return 0;
  return static_cast<unsigned char>(data[at]) | (static_cast<unsigned char>(data[at + 1]) << 8);
}

class Checker {
 public:
  explicit Checker(const std::string& dir) {
    report_.Disc = dir;
    programDir_ = dir;
    if (programDir_.empty()) programDir_ = ".";
    const char last = programDir_.back();
#ifdef _WIN32
    if (last != '\\' && last != '/') programDir_ += '\\';
#else
    if (last != '/') programDir_ += '/';
#endif
  }

  Report Run() {
    std::string bytes;
    if (!ReadIni(bytes)) return std::move(report_);
    Scan(bytes);
    // The menu's own readers from here on, pointed at the disc.
    common::ResetSettings();
    common::ProgramDir = programDir_;
    inif::LoadSetupNames();
    report_.Caption = common::WindowName;
    Shown();
    Installers();
    return std::move(report_);
  }

 private:
  void Add(Severity level, int line, const char* code, std::string message) {
    report_.Findings.push_back({level, line, code, std::move(message)});
  }

  // Where the reader finds a key: the line, or 0 when it finds none.
  int LineOf(const std::string& section, const std::string& key) const {
    for (const Key& k : keys_)
      if (SameName(k.Section, section) && SameName(k.Name, key)) return k.Line;
    return 0;
  }

  int SectionLine(const std::string& section) const {
    for (const Section& s : sections_)
      if (SameName(s.Name, section)) return s.Line;
    return 0;
  }

  bool ReadIni(std::string& bytes) {
    const fs::path path = U8(programDir_ + inif::kIniFileName);
    std::error_code ec;
    const bool regular = fs::is_regular_file(path, ec);
    const std::uintmax_t size = regular ? fs::file_size(path, ec) : 0;
    std::ifstream in;
    if (regular && !ec && size <= kMaxIniBytes) in.open(path, std::ios::binary);
    if (!in) {
      Add(Severity::Error, 0, "no-setup-ini",
          "Нет файла setup.ini или его нельзя прочитать: меню сообщит, что не может "
          "загрузить информацию для инсталляции, и закроется.");
      return false;
    }
    bytes.assign(static_cast<std::size_t>(size), '\0');
    in.read(bytes.data(), static_cast<std::streamsize>(bytes.size()));
    bytes.resize(static_cast<std::size_t>(in.gcount()));
    return true;
  }

  void Encoding(const std::string& bytes) {
    const bool ascii = std::all_of(bytes.begin(), bytes.end(),
                                   [](char c) { return static_cast<unsigned char>(c) < 0x80; });
    std::string name, said;
    switch (platform::DetectProfileEncoding(bytes)) {
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
    report_.Encoding = name;
    Add(Severity::Info, 0, "encoding", "Кодировка setup.ini: " + said + ".");
    if (name == "utf-8-bom")
      Add(Severity::Warning, 0, "code-page",
          "Не всякая Windows читает файл с меткой UTF-8 как UTF-8: где нет, программа для "
          "Windows прочтёт его через системную кодовую страницу, и русский текст будет "
          "искажён. Надёжно — UTF-16 с меткой порядка байтов.");
    else if (name == "utf-8" && !ascii)
      Add(Severity::Warning, 0, "code-page",
          "Программа для Windows читает файл без метки через системную кодовую страницу: "
          "русский текст в UTF-8 она покажет искажённым. Сохраните файл в UTF-16 с меткой "
          "порядка байтов.");
    else if (name == "cp1251")
      Add(Severity::Warning, 0, "code-page",
          "Программа для Windows читает файл через системную кодовую страницу: на Windows, "
          "где она не 1251, русский текст будет искажён. Сохраните файл в UTF-16 с меткой "
          "порядка байтов.");
  }

  void Scan(const std::string& bytes) {
    Encoding(bytes);
    // Kept: the names in sections_ and keys_ point into it.
    text_ = platform::DecodeProfileText(bytes);
    platform::ProfileLines lines(text_);
    const KnownSection* known = nullptr;
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

  void SectionHeader(const ProfileLine& line, const KnownSection*& known, bool& active) {
    const int n = static_cast<int>(line.Number);
    const std::string name = Utf8(line.Name);
    for (const Section& s : sections_)
      if (platform::ProfileNamesEqual(s.Name, line.Name)) {
        Add(Severity::Warning, n, "duplicate-section",
            "Раздел [" + name + "] повторяется (первый в строке " + std::to_string(s.Line) +
                "): меню читает только первый, ключи этого не действуют.");
        active = false;
        return;
      }
    sections_.push_back({line.Name, n});
    active = true;
    known = nullptr;
    std::vector<std::string> names;
    for (const KnownSection& k : KnownSections()) {
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
    Add(Severity::Warning, n, "unknown-section", message);
  }

  void KeyLine(const ProfileLine& line, const KnownSection* known) {
    const int n = static_cast<int>(line.Number);
    const std::string name = Utf8(line.Name);
    if (!line.HasEquals)
      Add(Severity::Warning, n, "no-equals",
          "В строке нет «=»: меню читает её как ключ " + Quoted(name) +
              " без значения, и следующие строки с этим ключом не действуют.");
    for (const Key& k : keys_)
      if (k.SectionLine == sections_.back().Line && platform::ProfileNamesEqual(k.Name, line.Name)) {
        Add(Severity::Warning, n, "duplicate-key",
            "Ключ " + Quoted(name) + " повторяется: меню берёт строку " +
                std::to_string(k.Line) + ".");
        return;
      }
    keys_.push_back({section_, line.Name, n, sections_.back().Line});
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

  void UnknownKey(int n, const std::string& name, const KnownSection& known) {
    std::string message = "Ключ " + Quoted(name) + " в разделе [" + known.Name + "] меню не знает";
    if (const auto near = Nearest(name, known.Keys))
      message += "; может быть, " + Quoted(*near) + "?";
    else if (const char* home = SectionOfKey(name))
      message += "; он читается в разделе [" + std::string(home) + "].";
    else
      message += ".";
    Add(Severity::Warning, n, "unknown-key", message);
  }

  static const char* SectionOfKey(const std::string& name) {
    for (const KnownSection& section : KnownSections())
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
    Add(Severity::Info, line, code, message + ".");
  }

  void Shown() {
    ShowValue("caption", "Заголовок окна", "SETUP", "WindowName", common::WindowName,
              common::kDefaultWindowName);
    ShowValue("status-line", "Строка состояния", "SETUP", "SystemName", common::SystemName,
              common::kDefaultSystemName);
    ShowValue("date-line", "Строка даты", "DATE", "Date", inif::GetSetupDate(), nullptr);
  }

  // Native form of a path the menu builds: setup.ini's part uses '\'.
  std::string Native(const std::string& location) const {
    std::string path = programDir_ + location;
#ifndef _WIN32
    std::replace(path.begin() + static_cast<std::ptrdiff_t>(programDir_.size()), path.end(), '\\',
                 '/');
#endif
    return path;
  }

  void Installers() {
    TSetupRec prg;
    if (!inif::LoadSetupRec("PRG", "Name", "Location", prg)) {
      const char* missing = !SectionLine("PRG")                   ? "нет раздела [PRG]"
                            : inif::ReadSetupValue("PRG", "Name").empty() ? "в [PRG] пуст ключ «Name»"
                                                                  : "в [PRG] пуст ключ «Location»";
      Add(Severity::Error, SectionLine("PRG"), "prg",
          std::string("Меню не откроется: ") + missing +
              ", и оно сообщит, что не может загрузить информацию для инсталляции.");
      return;
    }
    ShowValue("install-label", "Надпись у кнопки установки", "PRG", "Name", prg.SetupName, nullptr);
    const bool ownHint = !prg.SetupHint.empty();
    ShowValue("install-hint", "Подсказка кнопки установки", "PRG", "SetupHint",
              ownHint ? prg.SetupHint : common::kDefaultSetupHint,
              ownHint ? nullptr : common::kDefaultSetupHint);
    Installer("PRG", "Location", Severity::Error);
    for (int i = 1; i <= 7; ++i) Installer("ADD", "Location" + std::to_string(i), Severity::Warning);
    for (int i = 1; i <= 4; ++i) Installer("SRV", "Location" + std::to_string(i), Severity::Warning);
    // Read only when [PRG] is usable; a half-filled one counts as absent.
    for (const char* section : {"DOCSETUP", "IBSETUP", "DBSETUP"}) {
      const bool name = !inif::ReadSetupValue(section, "Name").empty();
      const bool location = !inif::ReadSetupValue(section, "Location").empty();
      if (name && location)
        Installer(section, "Location", Severity::Warning);
      else if (name || location)
        Add(Severity::Warning, SectionLine(section), "half-filled",
            std::string("В [") + section + "] задан только «" + (name ? "Name" : "Location") +
                "»: меню считает, что раздела нет.");
    }
    Manuals();
    ServiceDb();
  }

  void Installer(const std::string& section, const std::string& key, Severity missing) {
    const std::string location = inif::ReadSetupValue(section, key);
    if (location.empty()) return;
    const int line = LineOf(section, key);
    const std::string path = Native(location);
    const std::string head = "[" + section + "] " + key + ": " + Quoted(path);
    std::error_code ec;
    const fs::path file = U8(path);
    if (!fs::exists(file, ec) || fs::is_directory(file, ec)) {
      Add(missing, line, "installer",
          head + (fs::is_directory(file, ec) ? " — это папка, а не программа." : " — нет такого файла."));
      return;
    }
    std::string kind;
    std::vector<std::pair<Severity, std::string>> problems;
    Inspect(path, kind, problems);
    Add(Severity::Info, line, "installer", head + " — " + kind + ".");
    for (auto& [level, text] : problems) Add(level, line, "installer-start", head + ": " + text);
  }

  static void Inspect(const std::string& path, std::string& kind,
                      std::vector<std::pair<Severity, std::string>>& problems) {
    std::ifstream in(U8(path), std::ios::binary);
    std::array<char, 4096> head{};
    in.read(head.data(), head.size());
    const std::string_view data(head.data(), static_cast<std::size_t>(in.gcount()));
    if (data.empty()) {
      kind = "пустой файл";
      problems.push_back({Severity::Warning, "пустой файл не запустится."});
    } else if (data.substr(0, 2) == "MZ") {
      WindowsProgram(in, data, kind, problems);
    } else if (data.substr(0, 4) == "\x7F" "ELF") {
      const unsigned machine = Le16(data, 0x12);
      kind = machine == 0x3E   ? "программа Linux (x86-64)"
             : machine == 0x03 ? "программа Linux (x86, 32 бита)"
             : machine == 0xB7 ? "программа Linux (ARM64)"
                               : "программа Linux";
      RunBit(path, problems);
    } else if (data.substr(0, 2) == "#!") {
      Script(path, data, kind, problems);
    } else {
      const std::size_t dot = path.rfind('.');
      const std::string ext =
          Lower(dot == std::string::npos || path.find_first_of("/\\", dot) != std::string::npos
                    ? std::string()
                    : path.substr(dot));
      if (ext == ".bat" || ext == ".cmd") {
        kind = "командный файл Windows";
      } else {
        kind = "неизвестный формат";
        problems.push_back({Severity::Warning,
                            "это ни программа Windows, ни программа или сценарий Linux: меню "
                            "не сможет его запустить."});
      }
    }
  }

  static void WindowsProgram(std::ifstream& in, std::string_view data, std::string& kind,
                             std::vector<std::pair<Severity, std::string>>& problems) {
    const std::uint32_t peAt = data.size() >= 0x40 ? Le16(data, 0x3C) | (Le16(data, 0x3E) << 16) : 0;
    std::array<char, 6> pe{};
    in.clear();
    in.seekg(peAt);
    in.read(pe.data(), pe.size());
    const std::string_view header(pe.data(), static_cast<std::size_t>(in.gcount()));
    if (peAt == 0 || header.size() < 6 || header.substr(0, 4) != std::string_view("PE\0\0", 4)) {
      kind = "программа MS-DOS или повреждённый заголовок";
      problems.push_back({Severity::Warning, "у файла нет заголовка программы Windows."});
      return;
    }
    const unsigned machine = Le16(header, 4);
    if (machine == 0x14C) {
      kind = "программа Windows (x86, 32 бита)";
      return;
    }
    kind = machine == 0x8664   ? "программа Windows (x64, 64 бита)"
           : machine == 0xAA64 ? "программа Windows (ARM64)"
                               : "программа Windows для другой машины";
    problems.push_back({Severity::Warning, "на 32-разрядной Windows она не запустится."});
  }

  static void Script(const std::string& path, std::string_view data, std::string& kind,
                     std::vector<std::pair<Severity, std::string>>& problems) {
    std::string_view first = data.substr(0, data.find('\n')).substr(2);
    const bool cr = !first.empty() && first.back() == '\r';
    first.remove_prefix(std::min(first.find_first_not_of(" \t"), first.size()));
    // Like the kernel: the interpreter ends at a blank or the line's end, and
    // a CR left by CR LF line ends is part of its name.
    const std::string interpreter(first.substr(0, first.find_first_of(" \t")));
    const std::string shown(interpreter.substr(0, interpreter.find('\r')));
    kind = "сценарий Linux (" + shown + ")";
    if (cr) {
      problems.push_back({Severity::Warning,
                          "первая строка кончается знаком CR (файл сохранён с концами строк "
                          "CR LF): система ищет интерпретатор " +
                              Quoted(shown + "\\r") + " и не находит его."});
      return;
    }
#ifndef _WIN32
    if (interpreter.empty() || ::access(interpreter.c_str(), X_OK) != 0)
      problems.push_back({Severity::Warning, "нет интерпретатора " + Quoted(interpreter) +
                                                 ", сценарий не запустится."});
#endif
    RunBit(path, problems);
  }

  static void RunBit([[maybe_unused]] const std::string& path,
                     [[maybe_unused]] std::vector<std::pair<Severity, std::string>>& problems) {
#ifndef _WIN32
    struct stat st {};
    if (::stat(path.c_str(), &st) == 0 && (st.st_mode & 0111) == 0)
      problems.push_back({Severity::Warning,
                          "у файла нет права на запуск (chmod +x): меню Linux его не запустит."});
#endif
  }

  void Manuals() {
    const std::string dir = inif::ReadSetupValue("DOCBASE", "DocDaseDir");
    const int line = LineOf("DOCBASE", "DocDaseDir");
    if (dir.empty()) {
      Add(Severity::Info, line, "manuals",
          "Руководства: кнопка откроет папку самого диска (ключ «DocDaseDir» не задан).");
      return;
    }
    std::error_code ec;
    const std::string path = Native(dir);
    if (fs::exists(U8(path), ec))
      Add(Severity::Info, line, "manuals", "Руководства: кнопка откроет " + Quoted(path) + ".");
    else
      Add(Severity::Warning, line, "manuals",
          "Руководства: нет " + Quoted(path) + ", кнопка сообщит об ошибке.");
  }

  void ServiceDb() {
    const std::string dir = inif::GetServicePath();
    const int line = LineOf("SERVICE", "Path");
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

  struct Section {
    Text Name;
    int Line;
  };
  struct Key {
    Text Section;
    Text Name;
    int Line;
    int SectionLine;
  };

  Report report_;
  std::string programDir_;
  std::u16string text_;
  std::vector<Section> sections_;
  std::vector<Key> keys_;
  Text section_;
};

}  // namespace

int Report::Count(Severity level) const {
  return static_cast<int>(std::count_if(Findings.begin(), Findings.end(),
                                        [&](const Finding& f) { return f.Level == level; }));
}

int Report::ExitStatus() const {
  return Count(Severity::Error) ? 2 : Count(Severity::Warning) ? 1 : 0;
}

Report CheckDisc(const std::string& dir) { return Checker(dir).Run(); }

}  // namespace disc
