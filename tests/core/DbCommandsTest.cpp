// The database server and database commands end to end: a registry of the
// test's own, scripted answers and probe, real folders as the server's
// directories, real copies, and the progress window's unit.

#include <gtest/gtest.h>

#include <chrono>
#include <filesystem>
#include <fstream>
#include <map>

#include "TestSupport.h"
#include "config/Common.h"
#include "dbserver/Probe.h"
#include "dbserver/Reestr.h"
#include "platform/Platform.h"
#include "ui/Application.h"
#include "ui/F_FBInstallHelp.h"
#include "ui/F_Info.h"
#include "ui/F_Ver.h"
#include "ui/Main.h"

using namespace testing_support;
using namespace ui;
using dialogs::mrCancel;
using dialogs::mrNo;
using dialogs::mrOk;
using dialogs::mrYes;
using Clock = std::chrono::steady_clock;

namespace {

// Keys by path, values by name; a value in Wrong reads as a failed read.
struct FakeRegistry {
  std::map<std::string, std::map<std::string, std::string>> Keys;
  std::vector<std::string> Wrong;

  platform::RegistryFactory Factory() {
    return [this](std::uint32_t) -> std::unique_ptr<platform::IRegistryReader> {
      return std::make_unique<Reader>(*this);
    };
  }
  struct Reader : platform::IRegistryReader {
    explicit Reader(FakeRegistry& r) : reg(r) {}
    bool OpenKey(std::uint32_t, const std::string& key) override {
      open = reg.Keys.count(key) ? &reg.Keys[key] : nullptr;
      return open != nullptr;
    }
    bool ReadString(const std::string& name, std::string& value) override {
      if (!open) return false;
      for (const auto& w : reg.Wrong)
        if (w == name) return false;
      auto it = open->find(name);
      value = it == open->end() ? "" : it->second;
      return true;
    }
    void CloseKey() override { open = nullptr; }
    FakeRegistry& reg;
    std::map<std::string, std::string>* open = nullptr;
  };
};

// What happened to the progress windows, shared by all of them.
struct InfoLog {
  int Created = 0, Destroyed = 0, Shown = 0, Repaints = 0, Passes = 0;
  std::vector<std::string> Names;
  bool Animating = false;
  Clock::duration LongestShown{};
  bool FailCreation = false;
};

class RecordingInfoForm : public IInfoForm {
 public:
  explicit RecordingInfoForm(InfoLog& log) : log_(log) { ++log_.Created; }
  ~RecordingInfoForm() override {
    ++log_.Destroyed;
    if (shown_) log_.LongestShown = std::max(log_.LongestShown, Clock::now() - since_);
  }
  void SetFileName(const std::string& name) override { log_.Names.push_back(name); }
  void RepaintFileName() override { ++log_.Repaints; }
  void SetAnimationActive(bool active) override { log_.Animating = active; }
  void Show() override {
    ++log_.Shown;
    shown_ = true;
    since_ = Clock::now();
  }

 private:
  InfoLog& log_;
  bool shown_ = false;
  Clock::time_point since_;
};

std::string ReadAll(const std::filesystem::path& p) {
  std::ifstream in(p, std::ios::binary);
  return std::string(std::istreambuf_iterator<char>(in), {});
}

class DbCommands : public CleanState {
 public:
  DbCommands() {
    common::ProgramDir = disc.Dir();
    Application.Title = "Диск СКУД";
    SetInfoEnvironment({[this]() -> std::unique_ptr<IInfoForm> {
                          if (info.FailCreation) return nullptr;
                          return std::make_unique<RecordingInfoForm>(info);
                        },
                        [this] { ++info.Passes; }, nullptr});
    common::CreateLibraryList();
  }
  ~DbCommands() override {
    HideInfo();
    SetInfoEnvironment({});
    common::FreeLibraryList();
  }

  TSKDSetupForm Make() {
    TFormDeps deps{view, timer, pump, dialogs, launcher};
    deps.Registry = registry.Factory();
    deps.Attach = [this](const dbserver::TProbeSettings&) {
      ++probes;
      cursorDuringProbe = view.Cursor;
      passesBeforeProbe = pump.Passes;
      if (probeThrows) throw dbserver::EClientLibraryNotFound("gds32.dll");
      return probeResult;
    };
    return TSKDSetupForm(deps);
  }

  // A server of the given kind installed in `dir` (a real folder).
  void Firebird(const std::string& dir) {
    registry.Keys[platform::kFirebirdKey] = {{"DefaultInstance", dir}};
  }
  void InterBase(const std::string& dir, const std::string& version) {
    registry.Keys[platform::kInterBaseKey] = {{"RootDirectory", dir}, {"Version", version}};
  }
  // The service database on the disc.
  void ServiceDb(const std::string& bytes) {
    server.MakeDir("Service");
    server.Write("Service/DIZ_JSC.GDB", bytes);
    common::ServiceDbDir = server.Dir() + "Service";
    common::ServiceDbFile = common::ServiceDbDir + platform::PathDelimiter() + "DIZ_JSC.GDB";
  }
  std::vector<std::string> Texts() const {
    std::vector<std::string> t;
    for (const auto& r : dialogs.Shown) t.push_back(r.Text);
    return t;
  }
  std::string Last() const { return dialogs.Shown.empty() ? "" : dialogs.Shown.back().Text; }
  static std::string EmptyNameReport() {
    return "Невозможно выполнить \"\":\rфайл приложения не найден.";
  }

  TempDir disc, server;
  RecordingView view;
  ManualTimer timer;
  CountingPump pump;
  ScriptedDialogs dialogs;
  TPlatformLauncher launcher;
  FakeRegistry registry;
  InfoLog info;
  int probes = 0, passesBeforeProbe = -1;
  bool probeResult = true, probeThrows = false;
  TCursor cursorDuringProbe = TCursor::crDefault;
};

const std::string kPathWarning =
    "Путь к базе данных НЕ ДОЛЖЕН содержать символы национальной\rкодировки (проще говоря, "
    "русские буквы!) - в этом случае возможны\rпроблемы с функционированием сервисов "
    "InterBase/FireBird (упаковка\rбазы данных и т.п.).\r\rПожалуйста, установливайте базу "
    "данных по пути, содержащем\r                  ТОЛЬКО АНГЛИЙСКИЕ БУКВЫ!";
const std::string kNoServer =
    "Базу данных  следует  устанавливать на компьютер,\rна котором установлен сервер "
    "InterBase/FireBird. На данном\rкомпьютере сервер InterBase/FireBird не установлен.\r"
    "Продолжить установку?";
const std::string kNotRunningStart = "Хотя сервер InterBase/FireBird и установлен на данном\r";

// ------------------------------------------------------------ server command

TEST_F(DbCommands, ServerCommandQuestionNamesTheVersion) {
  struct Case {
    const char* name;
    std::function<void(DbCommands&)> setup;
    std::string question;  // "" : no question
  };
  const std::string head = "На Вашем компьютере уже установлен InterBase/FireBird\r";
  const std::string tail = ".\rПродолжить установку?";
  const Case cases[] = {
      {"none", [](DbCommands&) {}, ""},
      {"firebird without marker", [](DbCommands& t) { t.Firebird(t.server.Dir()); },
       head + "(неизвестная версия)" + tail},
      {"firebird 2.5", [](DbCommands& t) { t.Firebird("C:\\Firebird_2_5"); },
       head + "(версия 2.5)" + tail},
      {"interbase", [](DbCommands& t) { t.InterBase("C:\\IB", "WI-V6.0.1.6 Firebird 1.0"); },
       head + "(версия WI-V6.0.1.6 Firebird 1.0)" + tail},
  };
  for (const Case& c : cases) {
    registry.Keys.clear();
    dialogs.Shown.clear();
    dialogs.FormsShown.clear();
    c.setup(*this);
    auto form = Make();
    dialogs.Answers = {mrNo};
    form.IBSetupRXSBClick();
    if (c.question.empty()) {
      // No question: the notice comes first, and closing it ends the command.
      EXPECT_TRUE(dialogs.Shown.empty()) << c.name;
      EXPECT_EQ(dialogs.FormsShown, std::vector<std::string>{"FBInstallHelpForm"});
      continue;
    }
    ASSERT_EQ(dialogs.Shown.size(), 1u) << c.name;
    EXPECT_EQ(dialogs.Shown[0].Text, c.question);
    EXPECT_EQ(dialogs.Shown[0].Kind, dialogs::mtConfirmation);
    EXPECT_EQ(dialogs.Shown[0].Buttons, dialogs::mbYesNo);
    EXPECT_TRUE(dialogs.FormsShown.empty()) << "No ends the command";
  }
}

TEST_F(DbCommands, ServerCommandLaunchesOnlyAfterContinue) {
  Firebird(server.Dir());
  // Yes to the question; Help (stays open, help context 200), then Cancel.
  dialogs.Answers = {mrYes};
  dialogs.FormAnswers.push_back({true, mrCancel, -1, {fbhelp::HelpBtn}});
  auto form = Make();
  form.IBSetupRXSBClick();
  EXPECT_EQ(helpBox.Shown.size(), 1u);  // the dispatcher answered the request
  EXPECT_EQ(dialogs.Shown.size(), 1u);
  EXPECT_FALSE(timer.On);

  // Continue with an empty descriptor: the launch fails under an empty name.
  dialogs.Shown.clear();
  dialogs.Answers = {mrYes};
  dialogs.FormAnswers.push_back({true, mrOk, -1, {}});
  form.IBSetupRXSBClick();
  ASSERT_EQ(dialogs.Shown.size(), 2u);
  EXPECT_EQ(dialogs.Shown[1].Text, EmptyNameReport());
  EXPECT_EQ(dialogs.Shown[1].Buttons, dialogs::mbOKOnly);
}

TEST_F(DbCommands, ServerCommandNoticeThatCannotShow) {
  dialogs.FormAnswers.push_back({false, 0, -1, {}});
  EXPECT_FALSE(ShowFBInstallHelp(dialogs));
  EXPECT_EQ(Texts(), std::vector<std::string>{"Не могу показать диалог!"});
}

TEST_F(DbCommands, ServerCommandStartsTheConfiguredInstaller) {
  common::IBSetup.SetupName = "Сервер";
  common::IBSetup.SetupFile =
      common::ExtractFilePath(platform::ExecutablePath()) + "child_0" +
#ifdef _WIN32
      ".exe";
#else
      "";
#endif
  dialogs.FormAnswers.push_back({true, mrOk, -1, {}});
  auto form = Make();
  form.IBSetupRXSBClick();
  EXPECT_TRUE(dialogs.Shown.empty());
  EXPECT_TRUE(timer.On);
  WaitForInstaller(form, timer);
}

// ---------------------------------------------------------- database command

TEST_F(DbCommands, NoServerNoServiceDb) {
  for (int answer : {mrNo, mrYes}) {
    dialogs.Shown.clear();
    dialogs.Answers = {mrOk, answer};
    auto form = Make();
    form.DBSetupRXSBClick();
    std::vector<std::string> expected{kPathWarning, kNoServer};
    if (answer == mrYes) expected.push_back(EmptyNameReport());
    EXPECT_EQ(Texts(), expected);
    EXPECT_EQ(dialogs.Shown[0].Kind, dialogs::mtWarning);
    EXPECT_EQ(dialogs.Shown[0].Buttons, dialogs::mbOKOnly);
    EXPECT_EQ(dialogs.Shown[1].Buttons, dialogs::mbYesNo);
    EXPECT_EQ(probes, 0);
    EXPECT_TRUE(dialogs.FormsShown.empty());
  }
}

TEST_F(DbCommands, VersionDialogForOldOrUnknownInterBase) {
  struct Case {
    std::string version;
    std::string shown;  // "" : no version dialog
  } cases[] = {
      {"WI-V5.6.0.29", "5"},
      {"WI-T6.0", "???"},  // no marker: unknown
      {"WI-V6.0.1.6", ""},
  };
  for (const Case& c : cases) {
    InterBase(server.Dir(), c.version);
    dialogs.FormsShown.clear();
    dialogs.FormTexts.clear();
    probes = 0;
    dialogs.Answers = {mrOk, mrNo};
    dialogs.FormAnswers.push_back({true, mrCancel, -1, {}});  // "Нет"
    auto form = Make();
    form.DBSetupRXSBClick();
    if (c.shown.empty()) {
      EXPECT_TRUE(dialogs.FormsShown.empty()) << c.version;
      EXPECT_EQ(probes, 1);
      dialogs.FormAnswers.clear();
      continue;
    }
    ASSERT_EQ(dialogs.FormsShown, std::vector<std::string>{"VerForm"}) << c.version;
    EXPECT_EQ(dialogs.FormTexts[0], (std::vector<std::pair<int, std::string>>{
                                        {ver::VerLabel, c.shown}}));
    EXPECT_EQ(probes, 0) << "Нет ends the command before the probe";
  }
}

TEST_F(DbCommands, FirebirdNeedsNoVersionDialog) {
  Firebird(server.Dir());
  dialogs.Answers = {mrOk};
  auto form = Make();
  form.DBSetupRXSBClick();
  EXPECT_TRUE(dialogs.FormsShown.empty());
  EXPECT_EQ(probes, 1);
  EXPECT_EQ(cursorDuringProbe, TCursor::crHourGlass);
  EXPECT_EQ(passesBeforeProbe, 1);  // the cursor was shown before the attach
  EXPECT_EQ(view.Cursor, TCursor::crDefault);
  EXPECT_EQ(Texts(), (std::vector<std::string>{kPathWarning, EmptyNameReport()}));
}

TEST_F(DbCommands, VersionDialogThatCannotShowUsesTheToolkitBox) {
  InterBase(server.Dir(), "WI-V4.2");
  dialogs.Answers = {mrOk};
  dialogs.FormAnswers.push_back({false, 0, -1, {}});
  auto form = Make();
  form.DBSetupRXSBClick();
  ASSERT_EQ(dialogs.ToolkitErrors.size(), 1u);
  EXPECT_EQ(dialogs.ToolkitErrors[0],
            (std::vector<std::string>{"Error", "Не могу показать диалог!", "OK"}));
  EXPECT_EQ(probes, 0);
}

TEST_F(DbCommands, VersionDialogHelpStaysOpen) {
  InterBase(server.Dir(), "WI-V5.0");
  dialogs.Answers = {mrOk, mrNo};
  dialogs.FormAnswers.push_back({true, mrOk, -1, {ver::HelpButton}});
  probeResult = false;
  auto form = Make();
  form.DBSetupRXSBClick();
  EXPECT_EQ(helpBox.Shown.size(), 1u);
  EXPECT_EQ(probes, 1);  // "Да" after the help went on to the probe
}

TEST_F(DbCommands, ServerNotRunning) {
  Firebird(server.Dir());
  probeResult = false;
  for (int answer : {mrNo, mrYes}) {
    dialogs.Shown.clear();
    dialogs.Answers = {mrOk, answer};
    auto form = Make();
    form.DBSetupRXSBClick();
    ASSERT_GE(dialogs.Shown.size(), 2u);
    EXPECT_EQ(dialogs.Shown[1].Text.rfind(kNotRunningStart, 0), 0u);
    EXPECT_EQ(dialogs.Shown[1].Buttons, dialogs::mbYesNo);
    EXPECT_EQ(dialogs.Shown.size(), answer == mrYes ? 3u : 2u);
    EXPECT_EQ(view.Cursor, TCursor::crDefault);
  }
}

TEST_F(DbCommands, MissingClientLibraryEndsTheCommandWithTheGeneralBox) {
  Firebird(server.Dir());
  ServiceDb("db");
  probeThrows = true;
  dialogs.Answers = {mrOk};
  auto form = Make();
  form.Perform(&TSKDSetupForm::DBSetupRXSBClick);
  ASSERT_EQ(dialogs.ErrorBoxes.size(), 1u);
  EXPECT_EQ(dialogs.ErrorBoxes[0].first, "Диск СКУД");
  EXPECT_EQ(dialogs.ErrorBoxes[0].second,
            "InterBase library gds32.dll not found in the path. Please install InterBase to use "
            "this functionality.");
  EXPECT_EQ(Texts(), std::vector<std::string>{kPathWarning});  // nothing after it
  EXPECT_EQ(view.Cursor, TCursor::crDefault);
  EXPECT_EQ(info.Created, 0);
  EXPECT_FALSE(std::filesystem::exists(server.Path() / "DIZ_JSC.GDB"));
}

TEST_F(DbCommands, ServiceDbIsCopiedIntoTheServerDirectory) {
  std::string bytes(100000, '\0');
  for (std::size_t i = 0; i < bytes.size(); ++i) bytes[i] = static_cast<char>(i * 7 % 251);
  ServiceDb(bytes);
  server.MakeDir("Firebird 3");
  Firebird(server.Dir() + "Firebird 3");
  dialogs.Answers = {mrOk};
  auto form = Make();
  form.DBSetupRXSBClick();
  EXPECT_EQ(ReadAll(server.Path() / "Firebird 3" / "DIZ_JSC.GDB"), bytes);
  EXPECT_EQ(info.Created, 1);
  EXPECT_EQ(info.Names, std::vector<std::string>{"DIZ_JSC.GDB"});
  EXPECT_GE(info.LongestShown, std::chrono::milliseconds(500));
  EXPECT_EQ(info.Destroyed, 1);
  EXPECT_EQ(InfoForm, nullptr);
  EXPECT_FALSE(info.Animating);
  EXPECT_EQ(view.Cursor, TCursor::crDefault);
  EXPECT_EQ(Texts(), (std::vector<std::string>{kPathWarning, EmptyNameReport()}));
}

TEST_F(DbCommands, ServiceDbThatCannotBeWrittenAsks) {
  ServiceDb("db");
  // The registered directory does not exist: the copy fails.
  Firebird(server.Dir() + "missing");
  for (int answer : {mrNo, mrYes}) {
    dialogs.Shown.clear();
    dialogs.Answers = {mrOk, answer};
    auto form = Make();
    form.DBSetupRXSBClick();
    ASSERT_GE(dialogs.Shown.size(), 2u);
    const std::string q = dialogs.Shown[1].Text;
    EXPECT_EQ(q.rfind("Ошибка копирования сервисной базы данных!\r", 0), 0u);
    EXPECT_NE(q.find("\r\"" + common::ServiceDbDir + "\"\r"), std::string::npos);
    EXPECT_NE(q.find("  \"C:\\Program Files\\Borland\\InterBase\"\\\r"), std::string::npos);
    EXPECT_EQ(dialogs.Shown.size(), answer == mrYes ? 3u : 2u);
    EXPECT_EQ(InfoForm, nullptr);
    EXPECT_EQ(view.Cursor, TCursor::crDefault);
  }
}

TEST_F(DbCommands, LibrariesGoIntoTheUdfDirectory) {
  server.MakeDir("src");
  server.Write("src/a.dll", "A");
  server.Write("src/b.dll", "BB");
  common::LibrarySourceDir = server.Dir() + "src";
  common::LibraryList->Add("a.dll");
  common::LibraryList->Add("");
  common::LibraryList->Add("b.dll");
  server.MakeDir("fb");
  Firebird(server.Dir() + "fb");  // no UDF folder yet: it is made
  dialogs.Answers = {mrOk};
  auto form = Make();
  form.DBSetupRXSBClick();
  EXPECT_EQ(ReadAll(server.Path() / "fb" / "UDF" / "a.dll"), "A");
  EXPECT_EQ(ReadAll(server.Path() / "fb" / "UDF" / "b.dll"), "BB");
  // One window for the phase; the empty item shows nothing and fails nothing.
  EXPECT_EQ(info.Created, 1);
  EXPECT_EQ(info.Names, (std::vector<std::string>{"a.dll", "b.dll"}));
  EXPECT_EQ(info.Repaints, 1);
  EXPECT_EQ(info.Passes, 2);
  EXPECT_EQ(Texts(), (std::vector<std::string>{kPathWarning, EmptyNameReport()}));
}

TEST_F(DbCommands, LibraryFailuresAskOnceAfterTheWholeList) {
  server.MakeDir("src");
  server.Write("src/b.dll", "B");
  common::LibrarySourceDir = server.Dir() + "src";
  for (const char* n : {"missing1.dll", "b.dll", "missing2.dll"}) common::LibraryList->Add(n);
  server.MakeDir("fb");
  Firebird(server.Dir() + "fb");
  dialogs.Answers = {mrOk, mrNo};
  auto form = Make();
  form.DBSetupRXSBClick();
  ASSERT_EQ(dialogs.Shown.size(), 2u);
  EXPECT_EQ(dialogs.Shown[1].Text.rfind("Ошибка установки необходимых библиотек!\r", 0), 0u);
  EXPECT_NE(dialogs.Shown[1].Text.find("\"" + common::LibrarySourceDir + "\"\r"),
            std::string::npos);
  EXPECT_EQ(info.Names.size(), 3u);
  EXPECT_EQ(ReadAll(server.Path() / "fb" / "UDF" / "b.dll"), "B");  // copies made stay
}

TEST_F(DbCommands, UdfDirectoryThatCannotBeMadeSkipsTheCopy) {
  ServiceDb("db");
  common::LibrarySourceDir = server.Dir() + "src";
  common::LibraryList->Add("a.dll");
  Firebird(server.Dir() + "gone" + platform::PathDelimiter() + "fb");  // parent missing
  dialogs.Answers = {mrOk, mrYes, mrNo};
  auto form = Make();
  form.DBSetupRXSBClick();
  ASSERT_EQ(dialogs.Shown.size(), 3u);
  EXPECT_EQ(dialogs.Shown[1].Text.rfind("Ошибка установки необходимых библиотек!\r", 0), 0u);
  // Yes skipped the libraries; the service database copy then failed too.
  EXPECT_EQ(dialogs.Shown[2].Text.rfind("Ошибка копирования сервисной базы данных!\r", 0), 0u);
  EXPECT_EQ(info.Names, std::vector<std::string>{"DIZ_JSC.GDB"});
}

TEST_F(DbCommands, RemindersWithoutAServer) {
  ServiceDb("db");
  common::LibrarySourceDir = "D:\\Libs";
  common::LibraryList->Add("a.dll");
  dialogs.Answers = {mrOk, mrYes, mrYes, mrYes};
  auto form = Make();
  form.DBSetupRXSBClick();
  const auto t = Texts();
  ASSERT_EQ(t.size(), 5u);
  EXPECT_EQ(t[2],
            "Поскольку сервер InterBase/FireBird не установлен на данном\rкомпьютере, программа "
            "не может установить необходимые\rбиблиотеки. Если Вы решите продолжить установку "
            "базы\rданных, после установки сервера InterBase/FireBird Вам следует\rвручную "
            "установить все библиотеки: скопировать все *.dll\rиз каталога \"D:\\Libs\"\rв "
            "каталог \"UDF\" InterBase/FireBird\r(по умолчанию \"C:\\Program "
            "Files\\Borland\\InterBase\\UDF\"/\r\"C:\\Program Files\\FireBird\\UDF\").\r"
            "Продолжить инсталляцию?");
  EXPECT_EQ(t[3].rfind("Поскольку сервер InterBase/FireBird не установлен на данном\r"
                       "компьютере, программа не может установить сервисную\r",
                       0),
            0u);
  EXPECT_NE(t[3].find("каталога \"" + common::ServiceDbDir + "\"\r"), std::string::npos);
  EXPECT_EQ(t[4], EmptyNameReport());
  EXPECT_EQ(info.Created, 0);  // nothing is copied without a server
}

TEST_F(DbCommands, ConfiguredDatabaseInstallerStarts) {
  Firebird(server.Dir());
  common::DBSetup.SetupName = "База данных";
  common::DBSetup.SetupFile = common::ExtractFilePath(platform::ExecutablePath()) + "child_0" +
#ifdef _WIN32
                              ".exe";
#else
                              "";
#endif
  dialogs.Answers = {mrOk};
  auto form = Make();
  form.DBSetupRXSBClick();
  EXPECT_EQ(Texts(), std::vector<std::string>{kPathWarning});
  EXPECT_TRUE(timer.On);
  WaitForInstaller(form, timer);
}

// ------------------------------------------------------------ progress window

TEST_F(DbCommands, ProgressWindowLifecycle) {
  const auto start = Clock::now();
  ShowInfo("a.dll");
  ShowInfo("b.dll");
  EXPECT_GE(Clock::now() - start, std::chrono::milliseconds(1000));  // two pauses
  EXPECT_EQ(info.Created, 1);
  EXPECT_EQ(info.Shown, 1);
  EXPECT_EQ(info.Repaints, 1);
  EXPECT_TRUE(info.Animating);
  EXPECT_EQ(info.Passes, 2);
  HideInfo();
  HideInfo();
  EXPECT_EQ(info.Destroyed, 1);

  // A window that cannot be made: no window, no pause; the next call retries.
  info.FailCreation = true;
  const auto t0 = Clock::now();
  ShowInfo("c.dll");
  EXPECT_LT(Clock::now() - t0, std::chrono::milliseconds(400));
  EXPECT_EQ(InfoForm, nullptr);
  info.FailCreation = false;
  ShowInfo("d.dll");
  EXPECT_EQ(info.Created, 2);
}

TEST_F(DbCommands, CopiesGoOnWithoutAProgressWindow) {
  ServiceDb("data");
  server.MakeDir("fb");
  Firebird(server.Dir() + "fb");
  info.FailCreation = true;
  dialogs.Answers = {mrOk};
  auto form = Make();
  form.DBSetupRXSBClick();
  EXPECT_EQ(ReadAll(server.Path() / "fb" / "DIZ_JSC.GDB"), "data");
  EXPECT_EQ(Texts(), (std::vector<std::string>{kPathWarning, EmptyNameReport()}));
}

}  // namespace
