// The disc authors' check against small disc folders, one per mistake.

#include <filesystem>
#include <functional>
#include <map>
#include <string>
#include <vector>

#include "TestSupport.h"
#include "disc/DiscCheck.h"
#include "platform/TextDecode.h"

#ifndef _WIN32
#include <sys/socket.h>
#include <sys/stat.h>
#include <sys/sysmacros.h>
#include <sys/un.h>
#include <unistd.h>
#endif

namespace {

namespace fs = std::filesystem;
using disc::Severity;
using testing_support::TempDir;

std::string Utf16Le(const std::string& utf8) {
  std::string out = "\xFF\xFE";
  for (char16_t c : platform::Utf8ToUtf16(utf8)) {
    out += static_cast<char>(c & 0xFF);
    out += static_cast<char>(c >> 8);
  }
  return out;
}

// A clean disc's lines; a case swaps or adds lines and files.
const char* const kCleanIni =
    "; sample\r\n"                       // 1
    "[SETUP]\r\n"                        // 2
    "WindowName=Диск СКУД\r\n"           // 3
    "[PRG]\r\n"                          // 4
    "Name=Программа\r\n"                 // 5
    "Location=Install\\run.sh\r\n"       // 6
    "[DOCBASE]\r\n"                      // 7
    "DocDaseDir=Docs\r\n"                // 8
    "[SERVICE]\r\n"                      // 9
    "Path=Service\r\n"                   // 10
    "[DATE]\r\n"                         // 11
    "Date=2026\r\n";                     // 12

// A PE header from its COFF fields and `optional` bytes of optional header.
std::string Pe(unsigned machine, unsigned sections = 1, unsigned flags = 0x0102,
               unsigned optional = 0xE0) {
  const auto le16 = [](unsigned v) {
    return std::string{static_cast<char>(v & 0xFF), static_cast<char>(v >> 8)};
  };
  std::string pe = "MZ" + std::string(0x3A, '\0') + std::string("\x40\0\0\0", 4) + "PE" +
                   std::string(2, '\0') + le16(machine) + le16(sections) + std::string(12, '\0') +
                   le16(optional) + le16(flags);
  if (optional)  // the magic, then the subsystem (GUI) at its place
    pe += le16(machine == 0x14C ? 0x10B : 0x20B) + std::string(66, '\0') + le16(2) +
          std::string(optional - 70, '\0');
  return pe + std::string(64, '\0');
}

#ifndef _WIN32
// The disc moved into `sub`, and checked there or through a link `link`.
std::string Moved(const fs::path& d, const char* sub, const char* link = nullptr) {
  fs::create_directory(d / sub);
  for (const char* name : {"setup.ini", "Install", "Docs", "Service"}) fs::rename(d / name, d / sub / name);
  if (!link) return (d / sub).string();
  fs::create_directory_symlink(sub, d / link);
  return (d / link).string();
}

// Hostile entries a disc folder can hold.
void Fifo(const fs::path& at) { ASSERT_EQ(mkfifo(at.c_str(), 0644), 0); }
void Socket(const fs::path& at) {
  const int fd = socket(AF_UNIX, SOCK_STREAM, 0);
  sockaddr_un address{};
  address.sun_family = AF_UNIX;
  ASSERT_LT(at.native().size(), sizeof address.sun_path);
  at.native().copy(address.sun_path, at.native().size());
  EXPECT_EQ(bind(fd, reinterpret_cast<sockaddr*>(&address), sizeof address), 0);
  close(fd);
}
#endif

struct Expect {
  Severity Level;
  int Line;
  const char* Code;
  const char* Text;  // a part of the message
};

struct Case {
  const char* Name;
  std::string Ini;  // bytes of setup.ini; kCleanIni in UTF-16 when empty
  std::vector<std::pair<std::string, std::string>> Files;  // replace or add
  std::vector<Expect> Expected;
  int Status;
  bool PosixOnly = false;
  bool RunBit = true;
  // Makes what files cannot (links, FIFOs...) in the disc folder; returns the
  // folder to check instead of it, or "".
  std::function<std::string(const fs::path&)> Hostile = nullptr;
  bool RootOnly = false;
};

std::string Clean(const std::string& replace, const std::string& with,
                  const std::string& replace2 = "", const std::string& with2 = "") {
  std::string ini = kCleanIni;
  ini.replace(ini.find(replace), replace.size(), with);
  if (!replace2.empty()) ini.replace(ini.find(replace2), replace2.size(), with2);
  return Utf16Le(ini);
}

std::vector<Case> Cases() {
  return {
      {"clean", "", {}, {{Severity::Info, 3, "caption", "«Диск СКУД»"}}, 0},
      {"misspelt key", Clean("DocDaseDir", "DocBaseDir"), {},
       {{Severity::Warning, 8, "unknown-key", "«DocDaseDir»?"},
        {Severity::Info, 0, "manuals", "папку самого диска"}}, 1},
      {"misspelt location", Clean("Location", "Locaton"), {},
       {{Severity::Warning, 6, "unknown-key", "«Location»?"},
        {Severity::Error, 4, "prg", "«Location»"}}, 2},
      {"no [PRG]", Clean("[PRG]", "[PRG2]"), {},
       {{Severity::Error, 0, "prg", "нет раздела [PRG]"},
        {Severity::Warning, 4, "unknown-section", "[PRG2]"}}, 2},
      {"cp1251", "[PRG]\r\nName=\xCF\xF0\xEE\xE3\xF0\xE0\xEC\xEC\xE0\r\nLocation=Install\\run.sh\r\n",
       {}, {{Severity::Warning, 0, "code-page", "1251"},
        {Severity::Info, 2, "install-label", ""}}, 1},
      {"utf-8", "[PRG]\nName=Программа\nLocation=Install\\run.sh\n", {},
       {{Severity::Warning, 0, "code-page", "UTF-8"}}, 1},
      {"installer missing", "", {{"Install/run.sh", ""}},
       {{Severity::Error, 6, "installer", "нет такого файла"}}, 2},
      {"CR LF script", "", {{"Install/run.sh", "#!/bin/sh\r\nexit 0\r\n"}},
       {{Severity::Error, 6, "installer-start", "CR"}}, 2},
      {"64-bit installer", Clean("run.sh", "setup.exe"), {{"Install/setup.exe", Pe(0x8664, 1, 0x0022, 0xF0)}},
       {{Severity::Warning, 6, "installer-start", "32-разрядной"}}, 1},
      // The image puts the Linux menu on every disc, whose button cannot start it.
      {"32-bit installer", Clean("run.sh", "setup.exe"), {{"Install/setup.exe", Pe(0x14C)}},
       {{Severity::Info, 6, "installer", "x86, 32 бита"},
        {Severity::Warning, 6, "installer-linux", "--windows-only"}}, 1},
      {"UTF-8 Russian on a Windows disc",
       "[PRG]\nName=Программа\nLocation=Install\\setup.exe\n", {{"Install/setup.exe", Pe(0x14C)}},
       {{Severity::Error, 0, "code-page", "на любой Windows"}}, 2},
      // Windows opens the file; the Linux menu would not find it.
      {"letter case", Clean("Install\\run.sh", "install\\RUN.sh"), {},
       {{Severity::Warning, 6, "installer-case", "«Install/run.sh»"},
        {Severity::Info, 6, "installer", "сценарий Linux"}}, 1},
      {"no interpreter", "", {{"Install/run.sh", "#!/no/such/sh\n"}},
       {{Severity::Error, 6, "installer-start", "«/no/such/sh»"}}, 2, true},
      {"no run bit", "", {},
       {{Severity::Error, 6, "installer-start", "chmod +x"}}, 2, true, false},
      {"repeats", Clean("[DATE]", "[SETUP]\r\nWindowName=x\r\n[DATE]\r\nDate=1"), {},
       {{Severity::Warning, 11, "duplicate-section", "строке 2"},
        {Severity::Warning, 15, "duplicate-key", "строку 14"}}, 1},
      {"line faults", Clean("Date=2026", "Date=2026 ; год\r\nRemark\r\nx=" + std::string(2100, 'a')),
       {}, {{Severity::Warning, 12, "semicolon", "входят в значение"},
            {Severity::Warning, 13, "no-equals", "«Remark»"},
            {Severity::Warning, 14, "value-cut", "2047"}}, 1},
      {"section faults", Clean("; sample", "orphan=1\r\n[SETPU]", "[DATE]", "[DATE\r\n[DATE]"), {},
       {{Severity::Warning, 1, "outside-section", ""},
        {Severity::Warning, 2, "unknown-section", "[SETUP]?"},
        {Severity::Warning, 12, "unclosed-section", "]"}}, 1},
      {"folders missing", Clean("Path=Service", "Path=Base"), {{"Docs/manual.txt", ""}},
       {{Severity::Warning, 8, "manuals", "нет"},
        {Severity::Warning, 10, "service-db", "нет папки"}}, 1},
      // Room for the date line: 460 pixels of bold Arial 12 px (about 8 a letter).
      {"text wider than the window", Clean("Date=2026", "Date=" + std::string(40, 'W') + "Последний"), {},
       {{Severity::Warning, 12, "too-wide", "только «WWWWW"}}, 1},
      {"half-filled", Clean("[DATE]", "[DBSETUP]\r\nName=База\r\n[DATE]"), {},
       {{Severity::Warning, 11, "half-filled", "«Name»"}}, 1},
      // Broken installers: each one the menu refuses, and so [PRG]'s is an error.
      {"truncated ELF", "", {{"Install/run.sh", "\x7F" "ELF\x02"}},
       {{Severity::Error, 6, "installer-start", "обрезан"}}, 2},
      {"ELF of another machine", "",
       {{"Install/run.sh", std::string("\x7F" "ELF\x02\x01\x01", 7) + std::string(9, '\0') + std::string("\x02\0\x28\0", 4) + std::string(44, '\0')}},
       {{Severity::Error, 6, "installer-start", "другой машины"}}, 2},
      {"PE DLL", Clean("run.sh", "setup.exe"), {{"Install/setup.exe", Pe(0x14C, 1, 0x2102)}},
       {{Severity::Error, 6, "installer-start", "DLL"}}, 2},
      {"PE without optional header", Clean("run.sh", "setup.exe"),
       {{"Install/setup.exe", Pe(0x14C, 65535, 0x0102, 0)}},
       {{Severity::Error, 6, "installer-start", "необязательного заголовка"}}, 2},
      {"shebang names a folder", "", {{"Install/run.sh", "#!/\n"}},
       {{Severity::Error, 6, "installer-start", "— папка"}}, 2, true},
      // Every mistake in one run, a broken [PRG] among them.
      {"all mistakes at once", Clean("Name=Программа", "Nme=x", "DocDaseDir=Docs", "DocDaseDir=Docs\r\n[ADD]\r\nLocation1=Add\\x.exe"), {},
       {{Severity::Error, 4, "prg", "«Name»"}, {Severity::Warning, 5, "unknown-key", "«Name»?"},
        {Severity::Warning, 10, "installer", "нет такого файла"}}, 2},
      {"control characters", Clean("Диск СКУД", "Диск\x1b[8m"), {},
       {{Severity::Info, 3, "caption", "\x1b[8m"}}, 0},
      // setup.ini that cannot be read, for each reason; nothing read through.
      {"no disc folder", "", {}, {{Severity::Error, 0, "no-setup-ini", "Нет папки диска"}}, 2, false,
       true, [](const fs::path& d) { return (d / "nowhere").string(); }},
      {"setup.ini a folder", "", {}, {{Severity::Error, 0, "no-setup-ini", "папка"}}, 2, false, true,
       [](const fs::path& d) { fs::remove(d / "setup.ini"); fs::create_directory(d / "setup.ini"); return std::string(); }},
      {"setup.ini over 256 MB", "", {}, {{Severity::Error, 0, "no-setup-ini", "256 МБ"}}, 2, false, true,
       [](const fs::path& d) { fs::resize_file(d / "setup.ini", (std::uintmax_t{256} << 20) + 1); return std::string(); }},
      {"UTF-16 LE without a mark", Utf16Le(kCleanIni).substr(2), {},
       {{Severity::Error, 0, "no-bom", "UTF-16 LE без метки"}}, 2},
      {"UTF-16 BE without a mark, Russian", [] {
         std::string be;  // what iconv -t UTF-16BE writes
         for (char16_t c : platform::Utf8ToUtf16("[ПРГ]\r\nИмя=Программа учёта\r\nПуть=Установка\r\n"))
           be += {static_cast<char>(c >> 8), static_cast<char>(c & 0xFF)};
         return be;
       }(), {}, {{Severity::Error, 0, "no-bom", "UTF-16 BE без метки"}}, 2},
#ifndef _WIN32
      {"setup.ini a FIFO", "", {}, {{Severity::Error, 0, "no-setup-ini", "FIFO"}}, 2, true, true,
       [](const fs::path& d) { fs::remove(d / "setup.ini"); Fifo(d / "setup.ini"); return std::string(); }},
      {"setup.ini a link loop", "", {}, {{Severity::Error, 0, "no-setup-ini", "никуда не ведёт"}}, 2,
       true, true, [](const fs::path& d) { fs::remove(d / "setup.ini"); fs::create_symlink("setup.ini", d / "setup.ini"); return std::string(); }},
      {"setup.ini a dangling link", "", {}, {{Severity::Error, 0, "no-setup-ini", "никуда не ведёт"}}, 2,
       true, true, [](const fs::path& d) { fs::remove(d / "setup.ini"); fs::create_symlink("gone.ini", d / "setup.ini"); return std::string(); }},
      {"setup.ini a link out", "", {},
       {{Severity::Error, 0, "no-setup-ini", "за пределами"}, {Severity::Error, 0, "link-outside", "setup.ini"}}, 2,
       true, true, [](const fs::path& d) {
         fs::create_directory(d / "disc");
         fs::rename(d / "setup.ini", d / "outside.ini");
         fs::create_symlink("../outside.ini", d / "disc" / "setup.ini");
         return (d / "disc").string();
       }},
      // Special files and links anywhere in the folder.
      {"FIFO as installer", "", {}, {{Severity::Error, 6, "installer", "FIFO"}, {Severity::Error, 0, "special-file", "run.sh"}}, 2,
       true, true, [](const fs::path& d) { fs::remove(d / "Install/run.sh"); Fifo(d / "Install/run.sh"); return std::string(); }},
      {"socket", "", {}, {{Severity::Error, 0, "special-file", "сокет"}}, 2, true, true,
       [](const fs::path& d) { Socket(d / "Docs/s"); return std::string(); }},
      {"device node", "", {}, {{Severity::Error, 0, "special-file", "устройство"}}, 2, true, true,
       [](const fs::path& d) { EXPECT_EQ(mknod((d / "Docs/null").c_str(), S_IFCHR | 0666, makedev(1, 3)), 0); return std::string(); },
       true},
      {"link inside", "", {},
       {{Severity::Warning, 6, "installer", "ссылка на «real.sh»"}, {Severity::Warning, 0, "link", "«real.sh»"}}, 1, true, true,
       [](const fs::path& d) { fs::rename(d / "Install/run.sh", d / "Install/real.sh"); fs::create_symlink("real.sh", d / "Install/run.sh"); return std::string(); }},
      {"link out", "", {},
       {{Severity::Error, 6, "installer", "за пределами"}, {Severity::Error, 0, "link-outside", "«/bin/sh»"}}, 2, true, true,
       [](const fs::path& d) { fs::remove(d / "Install/run.sh"); fs::create_symlink("/bin/sh", d / "Install/run.sh"); return std::string(); }},
      {"disc folder a link", "", {}, {{Severity::Info, 6, "installer", "сценарий Linux"}}, 0, true, true,
       [](const fs::path& d) { return Moved(d, "real", "link"); }},
      {"backslash in the folder's path", "", {}, {{Severity::Info, 5, "install-label", "Программа"}}, 0, true, true,
       [](const fs::path& d) {
         return Moved(d, "copy\\disc");
       }},
      {"newline in a name", "", {{"Docs/a\nb.txt", "x"}}, {{Severity::Warning, 0, "name", "как «a_b.txt»"}}, 1, true},
      {"not UTF-8, * and ? in names", "", {{"Docs/\xff\xfe" "bad", "x"}, {"Docs/*", "x"}, {"Docs/?", "x"}},
       {{Severity::Warning, 0, "name", "как «__bad»"}, {Severity::Warning, 0, "name", "как «_0»"},
        {Severity::Warning, 0, "name", "как «_1»"}}, 1, true},
      {"names Windows refuses or takes for one",
       "", {{"Docs/a<b>|c.txt", "x"}, {"Docs/Схема \"А\".txt", "x"}, {"Docs/aux.txt", "x"},
            {"Docs/Com1", "x"}, {"Docs/отчёт.txt.", "x"}, {"Docs/Readme.txt", "x"}, {"Docs/README.TXT", "x"}},
       {{Severity::Warning, 0, "name-refused", "«<»"}, {Severity::Warning, 0, "name-refused", "«\"»"},
        {Severity::Warning, 0, "name-device", "устройства aux"}, {Severity::Warning, 0, "name-device", "Com1"},
        {Severity::Warning, 0, "name-trailing", "точкой"},
        {Severity::Warning, 0, "name-case", "«Docs/README.TXT» и «Docs/Readme.txt»"}}, 1, true},
      {"readable by the owner only", "", {}, {{Severity::Warning, 0, "private", "600"}}, 1, true, true,
       [](const fs::path& d) { fs::permissions(d / "Docs/manual.txt", fs::perms::owner_read | fs::perms::owner_write); return std::string(); }},
#endif
  };
}

class DiscCheck : public testing::TestWithParam<Case> {};

TEST_P(DiscCheck, FindsEachMistakeOnItsLine) {
  const Case& c = GetParam();
#ifdef _WIN32
  if (c.PosixOnly) GTEST_SKIP() << "a Linux matter";
#else
  if (c.RootOnly && geteuid() != 0) GTEST_SKIP() << "device nodes need root";
#endif
  TempDir disc;
  disc.Write("setup.ini", c.Ini.empty() ? Utf16Le(kCleanIni) : c.Ini);
  std::map<std::string, std::string> files = {{"Install/run.sh", "#!/bin/sh\nexit 0\n"},
                                              {"Docs/manual.txt", "x"},
                                              {"Service/DIZ_JSC.GDB", "x"}};
  for (const auto& [name, bytes] : c.Files) files[name] = bytes;  // "" leaves it out
  for (const auto& [name, bytes] : files) {
    if (bytes.empty()) continue;
    disc.Write(name, bytes);
    if (c.RunBit && bytes[0] == '#')
      std::filesystem::permissions(disc.Path() / name, std::filesystem::perms::owner_exec,
                                   std::filesystem::perm_options::add);
  }
  std::string dir = disc.Dir();
  if (c.Hostile)
    if (const std::string other = c.Hostile(disc.Path()); !other.empty()) dir = other;
  const disc::Report report = disc::CheckDisc(dir);
  const std::string text = disc::FormatText(report);
  for (const Expect& e : c.Expected) {
    bool found = false;
    for (const disc::Finding& f : report.Findings)
      found |= f.Level == e.Level && f.Line == e.Line && f.Code == e.Code &&
               f.Message.find(e.Text) != std::string::npos;
    EXPECT_TRUE(found) << c.Name << ": no " << e.Code << " on line " << e.Line << "\n" << text;
  }
  for (const disc::Finding& f : report.Findings)
    if (f.Code.rfind("name", 0) == 0) {
      EXPECT_NE(f.Path.find("Docs/"), std::string::npos) << f.Message;
    }
  EXPECT_EQ(report.ExitStatus(), c.Status) << text;
  const std::string json = disc::FormatJson(report);
  EXPECT_NE(json.find("\"status\": " + std::to_string(c.Status)), std::string::npos);
  // Whatever the disc holds, neither report passes a control character on.
  for (const std::string* out : {&text, &json})
    for (const char ch : *out)
      EXPECT_TRUE(ch == '\n' || static_cast<unsigned char>(ch) >= 0x20) << c.Name << ": " << *out;
}

INSTANTIATE_TEST_SUITE_P(Discs, DiscCheck, testing::ValuesIn(Cases()),
                         [](const testing::TestParamInfo<Case>& info) {
                           std::string name;
                           for (char ch : std::string(info.param.Name))
                             name += std::isalnum(static_cast<unsigned char>(ch)) ? ch : '_';
                           return name;
                         });

// A disc imaged without the Linux menu: nothing is said of it, and Russian
// UTF-8 there is for Windows alone, so garbled whatever the installer.
TEST(DiscCheckWindowsOnly, NoLinuxMenuToWarnOf) {
  TempDir disc;
  disc.Write("Install/setup.exe", Pe(0x14C));
  disc.Write("setup.ini", Utf16Le("[PRG]\r\nName=x\r\nLocation=install\\setup.exe\r\n"));
  EXPECT_EQ(disc::CheckDisc(disc.Dir(), {.WindowsOnly = true}).ExitStatus(), 0)
      << disc::FormatText(disc::CheckDisc(disc.Dir(), {.WindowsOnly = true}));
  disc.Write("setup.ini", "[PRG]\nName=Программа\nLocation=Install\\run.sh\n");
  disc.Write("Install/run.sh", "#!/bin/sh\n");
  fs::permissions(disc.Path() / "Install/run.sh", fs::perms::owner_exec, fs::perm_options::add);
  EXPECT_EQ(disc::CheckDisc(disc.Dir(), {.WindowsOnly = true}).ExitStatus(), 2);
  EXPECT_EQ(disc::CheckDisc(disc.Dir()).ExitStatus(), 1);
}

TEST(DiscCheckSample, TheSampleDiscHasNoError) {
  const disc::Report report = disc::CheckDisc(SKD_SAMPLE_DISC);
  EXPECT_EQ(report.Count(Severity::Error), 0) << disc::FormatText(report);
  EXPECT_EQ(report.Encoding, "utf-16le");
  EXPECT_EQ(report.Caption, "СКУД \"Ловерин\". Диск дистрибутива");
}

}  // namespace
