// The hardware server selection, the add-on menu items and the documentation
// command: scripted dialogs, real setup.ini files and real child processes.

#include <gtest/gtest.h>

#include <deque>
#include <filesystem>

#include "TestSupport.h"
#include "config/Common.h"
#include "config/IniF.h"
#include "platform/Platform.h"
#include "ui/Application.h"
#include "ui/F_SelSrv.h"
#include "ui/Main.h"

using namespace testing_support;
using namespace ui;
using dialogs::mrCancel;
using dialogs::mrNone;
using dialogs::mrOk;

namespace {

constexpr const char* kNoLocation = "Не могу определить расположение программы-инсталлятора!";

#ifdef _WIN32
constexpr const char* kExe = ".exe";
#else
constexpr const char* kExe = "";
#endif

// Records what it was asked to start and fails with a chosen code.
class FailingLauncher : public ILauncher {
 public:
  std::int32_t Error = 2;
  std::vector<std::string> Started;
  bool StartProcess(const std::string& path, platform::TProcessInformation&,
                    std::int32_t& error) override {
    Started.push_back(path);
    error = Error;
    return false;
  }
  bool GetExitCode(platform::TProcessInformation&, std::uint32_t&) override { return false; }
  std::intptr_t ShellOpen(const std::string&) override { return 0; }
};

class Installers : public CleanState {
 protected:
  Installers() {
    common::ProgramDir = disc.Dir();
    common::SystemName = "Система";
  }
  TSKDSetupForm Make(ILauncher& l) { return TSKDSetupForm({view, timer, pump, dialogs, l}); }
  void Ini(const std::string& text) { disc.Write("setup.ini", SetupIniBytes(text)); }
  // A copy of the quick stand-in installer at `name` on the disc.
  std::string PutInstaller(const std::string& name) {
    const auto from = std::filesystem::u8path(
        common::ExtractFilePath(platform::ExecutablePath()) + "child_0" + kExe);
    const auto to = std::filesystem::u8path(platform::NativePath(disc.Dir() + name + kExe));
    std::filesystem::create_directories(to.parent_path());
    std::filesystem::copy_file(from, to, std::filesystem::copy_options::overwrite_existing);
    return name + kExe;
  }
  void ChooseVariant(int result, int checked) {
    dialogs.FormAnswers.push_back({true, result, checked, {}});
  }
  std::vector<std::string> Texts() const {
    std::vector<std::string> t;
    for (const auto& r : dialogs.Shown) t.push_back(r.Text);
    return t;
  }

  TempDir disc;
  RecordingView view;
  ManualTimer timer;
  CountingPump pump;
  ScriptedDialogs dialogs;
  TPlatformLauncher launcher;
};

TEST_F(Installers, SelectServerMapsTheCheckedButton) {
  struct Case {
    int result, checked, expected;
  } cases[] = {
      {mrOk, -1, 1},  // left as the dialog opens
      {mrOk, selsrv::RadioButton1, 1},
      {mrOk, selsrv::RadioButton2, 2},
      {mrOk, selsrv::RadioButton3, 3},
      {mrOk, selsrv::RadioButton4, 4},
      {mrCancel, selsrv::RadioButton3, 0},
      {mrNone, selsrv::RadioButton2, 0},  // the frame's close box
  };
  for (const Case& c : cases) {
    ScriptedDialogs d;
    d.FormAnswers.push_back({true, c.result, c.checked, {}});
    EXPECT_EQ(SelectServer(d), c.expected) << c.result << "/" << c.checked;
    EXPECT_EQ(d.FormsShown, std::vector<std::string>{"SelectServerForm"});
    EXPECT_TRUE(d.Shown.empty());
  }
}

TEST_F(Installers, SelectServerThatCannotShowSaysSo) {
  dialogs.FormAnswers.push_back({false, 0, -1, {}});
  EXPECT_EQ(SelectServer(dialogs), 0);
  ASSERT_EQ(dialogs.Shown.size(), 1u);
  EXPECT_EQ(dialogs.Shown[0].Text, "Не могу показать диалог!");
  EXPECT_EQ(dialogs.Shown[0].Kind, dialogs::mtError);
  EXPECT_EQ(dialogs.Shown[0].Buttons, dialogs::mbOKOnly);
}

TEST_F(Installers, OnlyTheFirstVariantIsCheckedAtCreation) {
  int checked = 0, radios = 0;
  for (const auto& row : SelectServerLayout().Controls) {
    if (row.Kind != ControlKind::RadioButton) continue;
    ++radios;
    if (row.Checked) {
      ++checked;
      EXPECT_EQ(row.Id, selsrv::RadioButton1);
    }
  }
  EXPECT_EQ(radios, 4);
  EXPECT_EQ(checked, 1);
}

TEST_F(Installers, ServerVariantStartsItsOwnInstaller) {
  const std::string third = PutInstaller("Srv\\Сервер ЛВС и ТД");
  Ini("[SRV]\nLocation1=Srv\\one.exe\nLocation2=Srv\\two.exe\nLocation3=" + third + "\n");
  auto form = Make(launcher);
  ChooseVariant(mrOk, selsrv::RadioButton3);
  form.ServerSetupRXSBClick();
  EXPECT_TRUE(dialogs.Shown.empty());
  EXPECT_EQ(form.LastError, 0);
  EXPECT_TRUE(timer.On);  // the started installer is watched
  EXPECT_FALSE(view.Enabled.at(SoftSetupRXSB));
  WaitForInstaller(form, timer);
}

TEST_F(Installers, CancelledSelectionReadsAndStartsNothing) {
  // No setup.ini at all: reading it would show the location error.
  for (int result : {mrCancel, mrNone}) {
    FailingLauncher l;
    auto form = Make(l);
    ChooseVariant(result, selsrv::RadioButton2);
    form.ServerSetupRXSBClick();
    EXPECT_TRUE(dialogs.Shown.empty());
    EXPECT_TRUE(l.Started.empty());
  }
}

TEST_F(Installers, ServerVariantPathsAndFailures) {
  // Location2 is missing; Location4 is absolute and still goes behind the
  // program directory.
  Ini("[SRV]\nLocation1=Srv\\one.exe\nLocation3=Srv\\three.exe\nLocation4=C:\\abs\\four.exe\n");
  const std::string report =
      "Невозможно выполнить \"Сервер аппаратуры СКУД \"Ловерин\"\":\rфайл приложения не найден.";
  struct Case {
    int checked;
    std::string started;  // "" : nothing started
    std::string message;
  } cases[] = {
      {selsrv::RadioButton1, "Srv\\one.exe", report},
      {selsrv::RadioButton2, "", kNoLocation},
      {selsrv::RadioButton3, "Srv\\three.exe", report},
      {selsrv::RadioButton4, "C:\\abs\\four.exe", report},
  };
  for (const Case& c : cases) {
    FailingLauncher l;
    dialogs.Shown.clear();
    auto form = Make(l);
    ChooseVariant(mrOk, c.checked);
    form.ServerSetupRXSBClick();
    if (c.started.empty()) {
      EXPECT_TRUE(l.Started.empty());
    } else {
      EXPECT_EQ(l.Started, std::vector<std::string>{disc.Dir() + c.started});
      EXPECT_EQ(form.LastError, 2);
    }
    ASSERT_EQ(dialogs.Shown.size(), 1u) << c.checked;
    EXPECT_EQ(dialogs.Shown[0].Text, c.message);
    EXPECT_EQ(dialogs.Shown[0].Buttons, dialogs::mbOKOnly);  // never the question
  }
}

TEST_F(Installers, ServerInstallerRefusedForRightsShowsTheNoRightsWindow) {
  Ini("[SRV]\nLocation1=Srv\\one.exe\n");
  FailingLauncher l;
  l.Error = 740;
  auto form = Make(l);
  ChooseVariant(mrOk, -1);
  form.ServerSetupRXSBClick();
  EXPECT_EQ(dialogs.About740Shown, 1);
  EXPECT_TRUE(dialogs.Shown.empty());
}

TEST_F(Installers, SecondSelectionStartsAgainAtTheFirstVariant) {
  Ini("[SRV]\nLocation1=Srv\\one.exe\nLocation3=Srv\\three.exe\n");
  FailingLauncher l;
  auto form = Make(l);
  ChooseVariant(mrOk, selsrv::RadioButton3);
  form.ServerSetupRXSBClick();
  ChooseVariant(mrOk, -1);
  form.ServerSetupRXSBClick();
  EXPECT_EQ(l.Started,
            (std::vector<std::string>{disc.Dir() + "Srv\\three.exe", disc.Dir() + "Srv\\one.exe"}));
}

TEST_F(Installers, AddOnItemsReadTheirOwnKeys) {
  // Location5 is missing; every other item starts its own installer.
  Ini("[ADD]\nLocation1=Add\\1.exe\nLocation2=Add\\2.exe\nLocation3=Add\\3.exe\n"
      "Location4=Add\\4.exe\nLocation6=Add\\6.exe\nLocation7=Add\\7.exe\n");
  for (const TMenuItem& item : AddPrgPopupMenu()) {
    FailingLauncher l;
    dialogs.Shown.clear();
    auto form = Make(l);
    form.mnuAdd_Click(item);
    if (!item.Caption) {  // the separator
      EXPECT_TRUE(l.Started.empty());
      EXPECT_TRUE(dialogs.Shown.empty());
      continue;
    }
    ASSERT_EQ(dialogs.Shown.size(), 1u) << item.Name;
    EXPECT_EQ(dialogs.Shown[0].Buttons, dialogs::mbOKOnly);
    if (item.Tag == 5) {
      EXPECT_TRUE(l.Started.empty());
      EXPECT_EQ(dialogs.Shown[0].Text, kNoLocation);
      continue;
    }
    EXPECT_EQ(l.Started,
              std::vector<std::string>{disc.Dir() + "Add\\" + std::to_string(item.Tag) + ".exe"});
    EXPECT_EQ(dialogs.Shown[0].Text, std::string("Невозможно выполнить \"") + item.Caption +
                                         "\":\rфайл приложения не найден.");
  }
}

TEST_F(Installers, SmsItemFailureIsReportedUnderItsCaption) {
  Ini("[ADD]\nLocation6=/abs/sms\n");
  FailingLauncher l;
  l.Error = 5;
  auto form = Make(l);
  form.mnuAdd_Click(AddPrgPopupMenu()[5]);
  EXPECT_EQ(l.Started, std::vector<std::string>{disc.Dir() + "/abs/sms"});
  ASSERT_EQ(dialogs.Shown.size(), 1u);
  EXPECT_EQ(dialogs.Shown[0].Text,
            "Невозможно выполнить \"Установить систему СМС оповещения\":\r"
            "недостаточно прав на выполнение операции.");
}

TEST_F(Installers, AddOnStartsARealInstaller) {
  const std::string dbmover = PutInstaller("Add\\Перенос данных; $(x) 'q'");
  Ini("[ADD]\nLocation7=" + dbmover + "\n");
  auto form = Make(launcher);
  form.mnuAdd_Click(AddPrgPopupMenu()[7]);
  EXPECT_TRUE(dialogs.Shown.empty());
  EXPECT_TRUE(timer.On);
  WaitForInstaller(form, timer);
}

TEST_F(Installers, DocumentationWithoutDescriptorReportsAnEmptyName) {
  Ini("[PRG]\nName=ПО\nLocation=setup.exe\n");
  auto form = Make(launcher);
  form.FormCreate();
  EXPECT_EQ(common::DocSetup, TSetupRec{});
  form.DocSetupRXSBClick();
  ASSERT_EQ(dialogs.Shown.size(), 1u);
  // An empty path is a missing file or directory on every platform.
  EXPECT_EQ(dialogs.Shown[0].Text, "Невозможно выполнить \"\":\rфайл приложения не найден.");
  EXPECT_EQ(dialogs.Shown[0].Buttons, dialogs::mbOKOnly);
}

TEST_F(Installers, OptionalSectionsFillTheirDescriptors) {
  const std::string doc = PutInstaller("Docs setup\\установка");
  Ini("[PRG]\nName=ПО\nLocation=setup.exe\n"
      "[DOCSETUP]\nName=Документация\nLocation=" + doc + "\n"
      "[IBSETUP]\nName=Сервер FireBird\nLocation=FB\\fb.exe\n"
      "[DBSETUP]\nName=База данных\n");
  auto form = Make(launcher);
  form.FormCreate();
  EXPECT_EQ(common::DocSetup.SetupName, "Документация");
  EXPECT_EQ(common::DocSetup.SetupFile, disc.Dir() + doc);
  EXPECT_EQ(common::IBSetup.SetupName, "Сервер FireBird");
  EXPECT_EQ(common::IBSetup.SetupFile, disc.Dir() + "FB\\fb.exe");
  // A section without its installer names nothing to start.
  EXPECT_EQ(common::DBSetup, TSetupRec{});
  EXPECT_TRUE(dialogs.Shown.empty());

  form.DocSetupRXSBClick();
  EXPECT_TRUE(dialogs.Shown.empty());
  EXPECT_EQ(form.LastError, 0);
  EXPECT_TRUE(timer.On);
  WaitForInstaller(form, timer);
}

// A location without a name, or sections behind a [PRG] that failed, leave
// their descriptors empty: nothing of the same name in the folder the menu
// was started from is ever started.
TEST_F(Installers, HalfFilledOrUnreachedSectionsStartNothing) {
  TempDir cwd;
  const std::string stray = "stray";
  const auto strayPath = std::filesystem::u8path(platform::NativePath(cwd.Dir() + stray + kExe));
  std::filesystem::copy_file(std::filesystem::u8path(common::ExtractFilePath(platform::ExecutablePath()) +
                                                     "child_0" + kExe),
                             strayPath);
  const auto old = std::filesystem::current_path();
  std::filesystem::current_path(std::filesystem::u8path(cwd.Dir()));
  const std::string sections = "[DOCSETUP]\nName=Документация\nLocation=" + stray + kExe + "\n";
  for (const std::string prg : {"[PRG]\nName=ПО\nLocation=setup.exe\n", ""}) {
    SCOPED_TRACE(prg.empty() ? "no [PRG]" : "half-filled");
    common::ResetSettings();
    ui::Application.Reset();
    common::ProgramDir = disc.Dir();
    dialogs.Shown.clear();
    Ini(prg + (prg.empty() ? sections : "[DOCSETUP]\nLocation=" + stray + kExe + "\n"));
    auto form = Make(launcher);
    form.FormCreate();
    EXPECT_EQ(common::DocSetup, TSetupRec{});
    dialogs.Shown.clear();
    form.DocSetupRXSBClick();
    EXPECT_FALSE(timer.On);
    ASSERT_EQ(Texts().size(), 1u);
    EXPECT_EQ(Texts()[0], "Невозможно выполнить \"\":\rфайл приложения не найден.");
  }
  std::filesystem::current_path(old);
}

}  // namespace
