// The disc authors' check against small disc folders, one per mistake.

#include <filesystem>
#include <map>
#include <string>
#include <vector>

#include "TestSupport.h"
#include "disc/DiscCheck.h"
#include "platform/TextDecode.h"

namespace {

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

std::string Pe(unsigned machine) {
  std::string pe = "MZ" + std::string(0x3A, '\0') + std::string("\x40\0\0\0", 4) + "PE" +
                   std::string(2, '\0');
  pe += static_cast<char>(machine & 0xFF);
  pe += static_cast<char>(machine >> 8);
  return pe + std::string(64, '\0');
}

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
       {{Severity::Warning, 6, "installer-start", "CR"}}, 1},
      {"64-bit installer", Clean("run.sh", "setup.exe"), {{"Install/setup.exe", Pe(0x8664)}},
       {{Severity::Warning, 6, "installer-start", "32-разрядной"}}, 1},
      {"32-bit installer", Clean("run.sh", "setup.exe"), {{"Install/setup.exe", Pe(0x14C)}},
       {{Severity::Info, 6, "installer", "x86, 32 бита"}}, 0},
      {"no interpreter", "", {{"Install/run.sh", "#!/no/such/sh\n"}},
       {{Severity::Warning, 6, "installer-start", "«/no/such/sh»"}}, 1, true},
      {"no run bit", "", {},
       {{Severity::Warning, 6, "installer-start", "chmod +x"}}, 1, true, false},
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
      {"half-filled", Clean("[DATE]", "[DBSETUP]\r\nName=База\r\n[DATE]"), {},
       {{Severity::Warning, 11, "half-filled", "«Name»"}}, 1},
  };
}

class DiscCheck : public testing::TestWithParam<Case> {};

TEST_P(DiscCheck, FindsEachMistakeOnItsLine) {
  const Case& c = GetParam();
#ifdef _WIN32
  if (c.PosixOnly) GTEST_SKIP() << "a Linux matter";
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
  const disc::Report report = disc::CheckDisc(disc.Dir());
  const std::string text = disc::FormatText(report);
  for (const Expect& e : c.Expected) {
    bool found = false;
    for (const disc::Finding& f : report.Findings)
      found |= f.Level == e.Level && f.Line == e.Line && f.Code == e.Code &&
               f.Message.find(e.Text) != std::string::npos;
    EXPECT_TRUE(found) << c.Name << ": no " << e.Code << " on line " << e.Line << "\n" << text;
  }
  EXPECT_EQ(report.ExitStatus(), c.Status) << text;
  EXPECT_NE(disc::FormatJson(report).find("\"status\": " + std::to_string(c.Status)),
            std::string::npos);
}

INSTANTIATE_TEST_SUITE_P(Discs, DiscCheck, testing::ValuesIn(Cases()),
                         [](const testing::TestParamInfo<Case>& info) {
                           std::string name;
                           for (char ch : std::string(info.param.Name))
                             name += std::isalnum(static_cast<unsigned char>(ch)) ? ch : '_';
                           return name;
                         });

TEST(DiscCheckSample, TheSampleDiscHasNoError) {
  const disc::Report report = disc::CheckDisc(SKD_SAMPLE_DISC);
  EXPECT_EQ(report.Count(Severity::Error), 0) << disc::FormatText(report);
  EXPECT_EQ(report.Encoding, "utf-16le");
  EXPECT_EQ(report.Caption, "СКУД \"Ловерин\". Диск дистрибутива");
}

}  // namespace
