#include <gtest/gtest.h>

#include <filesystem>

#include "TestSupport.h"
#include "config/Common.h"
#include "config/IniF.h"
#include "platform/Platform.h"

#ifndef _WIN32
#include <sys/stat.h>
#include <unistd.h>
#endif

using namespace testing_support;

namespace {

class IniF : public CleanState {
 protected:
  IniF() { common::ProgramDir = disc.Dir(); }
  void Ini(const std::string& text) { disc.Write("setup.ini", SetupIniBytes(text)); }
  TempDir disc;
};

TEST_F(IniF, LoadSetupRecValidPrefixesOnlyTheLocation) {
  Ini("[PRG]\nName = Программа СКУД \nLocation=Soft\\setup.exe\nSetupHint=Подсказка\n"
      "SetupHelpHint=help\n");
  TSetupRec rec;
  ASSERT_TRUE(inif::LoadSetupRec("PRG", "Name", "Location", rec));
  EXPECT_EQ(rec, (TSetupRec{"Программа СКУД", disc.Dir() + "Soft\\setup.exe", "Подсказка", "help"}));
}

TEST_F(IniF, LoadSetupRecInvalidKeepsWhatWasReadUnprefixed) {
  struct Case {
    const char* ini;
    TSetupRec expected;
  } cases[] = {
      {"[PRG]\nName=X\n", {"X", "", "", ""}},
      {"[PRG]\nLocation=a.exe\nSetupHint=h\n", {"", "a.exe", "h", ""}},
      {"[PRG]\nName=\nLocation=a.exe\n", {"", "a.exe", "", ""}},
      {"", {"", "", "", ""}},
  };
  for (const auto& c : cases) {
    Ini(c.ini);
    // Every field is overwritten, even by an empty value.
    TSetupRec rec{"old", "old", "old", "old"};
    EXPECT_FALSE(inif::LoadSetupRec("PRG", "Name", "Location", rec)) << c.ini;
    EXPECT_EQ(rec, c.expected) << c.ini;
  }
}

TEST_F(IniF, LoadSetupRecPutsAbsolutePathsBehindTheDirectoryToo) {
  Ini("[prg]\nNAME=n\nlocation=C:\\Setup\\x.exe\n");
  TSetupRec rec;
  ASSERT_TRUE(inif::LoadSetupRec("PRG", "Name", "Location", rec));
  EXPECT_EQ(rec.SetupFile, disc.Dir() + "C:\\Setup\\x.exe");
}

TEST_F(IniF, MissingFileReadsAsEmptyEverywhere) {
  TSetupRec rec;
  EXPECT_FALSE(inif::LoadSetupRec("PRG", "Name", "Location", rec));
  EXPECT_EQ(inif::GetSetupDate(), "");
  EXPECT_EQ(inif::GetAddLocation(1), "");
  EXPECT_EQ(inif::FindServiceDb(), "");
  inif::LoadSetupNames();
  EXPECT_EQ(common::WindowName, common::kDefaultWindowName);
  EXPECT_EQ(common::SystemName, common::kDefaultSystemName);
}

TEST_F(IniF, LoadSetupNamesReplacesOnlyNonEmptyValues) {
  Ini("[SETUP]\nWindowName=\nSystemName=СКУД \"Ловерин\"\n");
  inif::LoadSetupNames();
  EXPECT_EQ(common::WindowName, "LDTK. Инсталлятор");
  EXPECT_EQ(common::SystemName, "СКУД \"Ловерин\"");
  Ini("[SETUP]\nWindowName=Окно\n");
  inif::LoadSetupNames();
  EXPECT_EQ(common::WindowName, "Окно");
  EXPECT_EQ(common::SystemName, "СКУД \"Ловерин\"");
}

TEST_F(IniF, LocationsAreRawValuesOfNumberedKeys) {
  Ini("[ADD]\nLocation1=Add\\apb.exe\nLocation7=dbm.exe\nLocation01=zero\n"
      "[SRV]\nLocation3=C:\\abs.exe\n[DATE]\nDate=  2024, май  \n");
  EXPECT_EQ(inif::GetAddLocation(1), "Add\\apb.exe");
  EXPECT_EQ(inif::GetAddLocation(7), "dbm.exe");
  EXPECT_EQ(inif::GetAddLocation(2), "");
  EXPECT_EQ(inif::GetSrvLocation(3), "C:\\abs.exe");
  EXPECT_EQ(inif::GetSrvLocation(1), "");
  EXPECT_EQ(inif::GetSetupDate(), "2024, май");
}

// The program's own folder unknown (its path too long for the system to
// tell): the setup.ini of the folder the menu was started from is a decoy.
TEST_F(IniF, WithoutTheProgramsFolderNothingIsRead) {
  Ini("[SETUP]\nWindowName=Подделка\n[PRG]\nName=Подделка\nLocation=x.exe\n");
  const auto cwd = std::filesystem::current_path();
  std::filesystem::current_path(disc.Path());
  common::ProgramDir.clear();
  TSetupRec rec;
  EXPECT_FALSE(inif::LoadSetupRec("PRG", "Name", "Location", rec));
  inif::LoadSetupNames();
  std::filesystem::current_path(cwd);
  EXPECT_EQ(rec, TSetupRec{});
  EXPECT_EQ(common::WindowName, common::kDefaultWindowName);
}

TEST_F(IniF, FindServiceDb) {
  disc.Write("Service DB/DIZ_JSC.GDB", "db");
  disc.MakeDir("Empty");
#ifndef _WIN32
  disc.MakeDir("Pipe");
  ASSERT_EQ(mkfifo((disc.Dir() + "Pipe/DIZ_JSC.GDB").c_str(), 0600), 0);
#endif
  struct Case {
    const char* path;
    bool found;
    bool dirSet;
  } cases[] = {
      {"Service DB", true, true},
      {"Service DB\\", true, true},  // two backslashes before the name still find it
      {"Empty", false, true},
      {"Missing", false, false},
      {"", false, false},
#ifndef _WIN32
      {"Pipe", false, true},  // a FIFO of that name: reading it would hang the copy
#endif
  };
  for (const auto& c : cases) {
    common::ServiceDbDir = "untouched";
    Ini(std::string("[SERVICE]\nPath=") + c.path + "\n");
    const std::string file = inif::FindServiceDb();
    const std::string dir = disc.Dir() + c.path;
    EXPECT_EQ(file, c.found ? dir + "\\DIZ_JSC.GDB" : "") << c.path;
    EXPECT_EQ(common::ServiceDbDir, c.dirSet ? dir : "untouched") << c.path;
  }
}

TEST_F(IniF, DocBaseDirFollowsTheExecutableDirectory) {
  const std::string exeDir = common::ExtractFilePath(platform::ExecutablePath());
  EXPECT_EQ(inif::GetDocBaseDir(), exeDir);  // missing file: the directory itself
  // setup.ini is read from ProgramDir, the base is the executable's own.
  Ini("[DOCBASE]\nDocDaseDir=Docs\\Руководства\n");
  EXPECT_EQ(inif::GetDocBaseDir(), exeDir + "Docs\\Руководства");
}

}  // namespace
