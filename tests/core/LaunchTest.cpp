// Installer launch, monitoring, failure reports and the shell commands of the
// menu window: the decision flow with a scripted launcher, then real child
// processes.

#include <gtest/gtest.h>

#include <algorithm>
#include <climits>
#include <deque>
#include <fstream>

#include "TestSupport.h"
#include "config/Common.h"
#include "platform/Platform.h"
#include "ui/Main.h"

#include <chrono>
#include <thread>

#ifdef _WIN32
#include <windows.h>
#else
#include <dirent.h>
#include <signal.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cstdlib>
#endif

using namespace testing_support;
using namespace ui;

namespace {

// Handles (Windows) or descriptors (POSIX) this process holds open.
long OpenHandles() {
#ifdef _WIN32
  DWORD n = 0;
  GetProcessHandleCount(GetCurrentProcess(), &n);
  return static_cast<long>(n);
#else
  long n = 0;
  if (DIR* d = opendir("/proc/self/fd")) {
    while (readdir(d)) ++n;
    closedir(d);
  }
  return n;
#endif
}

// Starts nothing: answers from a script.
class ScriptedLauncher : public ILauncher {
 public:
  std::deque<std::int32_t> StartErrors;  // 0: success
  std::deque<std::pair<bool, std::uint32_t>> ExitCodes;
  std::vector<std::string> Started, Opened;
  std::intptr_t ShellResult = 33;

  bool StartProcess(const std::string& path, platform::TProcessInformation& info,
                    std::int32_t& error) override {
    Started.push_back(path);
    const std::int32_t e = StartErrors.empty() ? 0 : StartErrors.front();
    if (!StartErrors.empty()) StartErrors.pop_front();
    if (e) {
      error = e;
      return false;
    }
    info = platform::TProcessInformation{};
    info.ProcessId = static_cast<std::uint32_t>(Started.size());
    return true;
  }
  bool GetExitCode(platform::TProcessInformation&, std::uint32_t& code) override {
    if (ExitCodes.empty()) return false;
    auto [ok, c] = ExitCodes.front();
    ExitCodes.pop_front();
    code = c;
    return ok;
  }
  std::intptr_t ShellOpen(const std::string& path) override {
    Opened.push_back(path);
    return ShellResult;
  }
};

class Launch : public CleanState {
 protected:
  Launch() {
    common::ProgramDir = disc.Dir();
    common::SystemName = "Система ";
  }
  TSKDSetupForm Make(ILauncher& l) { return TSKDSetupForm({view, timer, pump, dialogs, l}); }
  std::string Status() { return view.Text.count(StatusLabel) ? view.Text[StatusLabel] : "<unset>"; }
  bool ButtonEnabled() { return !view.Enabled.count(SoftSetupRXSB) || view.Enabled[SoftSetupRXSB]; }

  TempDir disc;
  RecordingView view;
  ManualTimer timer;
  CountingPump pump;
  ScriptedDialogs dialogs;
};

TEST_F(Launch, MonitoringStates) {
  ScriptedLauncher l;
  auto form = Make(l);
  common::SoftSetup = {"ПО", disc.Dir() + "setup.exe", "", ""};
  l.ExitCodes = {{true, 259}, {false, 0}, {true, 259}, {true, 0}};

  form.SoftSetupRXSBClick();  // Idle -> Launched
  EXPECT_EQ(l.Started, std::vector<std::string>{disc.Dir() + "setup.exe"});
  EXPECT_TRUE(timer.On);
  EXPECT_FALSE(ButtonEnabled());
  EXPECT_EQ(Status(), "<unset>");  // untouched until the first tick

  form.Timer1Timer();  // Installing
  EXPECT_EQ(Status(), "Идет установка ...");
  form.Timer1Timer();  // the query failed: nothing changes
  EXPECT_EQ(Status(), "Идет установка ...");
  EXPECT_TRUE(timer.On);
  form.Timer1Timer();
  EXPECT_FALSE(ButtonEnabled());
  form.Timer1Timer();  // ended (exit code not judged): Idle
  EXPECT_FALSE(timer.On);
  EXPECT_TRUE(ButtonEnabled());
  EXPECT_EQ(Status(), "Система ");
  EXPECT_TRUE(dialogs.Shown.empty());
}

TEST_F(Launch, ChildEndedBeforeTheFirstTickNeverShowsInstalling) {
  ScriptedLauncher l;
  auto form = Make(l);
  l.ExitCodes = {{true, 1}};
  ASSERT_TRUE(form.RunSetup("x"));
  form.Timer1Timer();
  EXPECT_EQ(Status(), "Система ");
  EXPECT_TRUE(ButtonEnabled());
  EXPECT_FALSE(timer.On);
}

TEST_F(Launch, FailedLaunchChangesOnlyLastError) {
  ScriptedLauncher l;
  auto form = Make(l);
  l.StartErrors = {2, 0};
  EXPECT_FALSE(form.RunSetup(""));
  EXPECT_EQ(form.LastError, 2);
  EXPECT_FALSE(timer.On);
  EXPECT_TRUE(ButtonEnabled());
  EXPECT_EQ(view.Enabled.count(SoftSetupRXSB), 0u);
  EXPECT_EQ(l.Started, std::vector<std::string>{""});  // an empty path still goes to the platform
  EXPECT_TRUE(form.RunSetup("y"));
  EXPECT_EQ(form.LastError, 0);
}

TEST_F(Launch, InstallCommandReportsAFailedStartOnce) {
  ScriptedLauncher l;
  auto form = Make(l);
  common::SoftSetup = {"Программа \"СКУД\"", "p", "", ""};
  l.StartErrors = {2};
  form.SoftSetupRXSBClick();
  ASSERT_EQ(dialogs.Shown.size(), 1u);
  EXPECT_EQ(dialogs.Shown[0].Text,
            "Невозможно выполнить \"Программа \"СКУД\"\":\rфайл приложения не найден.");
  EXPECT_EQ(dialogs.Shown[0].Kind, dialogs::mtError);
  EXPECT_EQ(dialogs.Shown[0].Buttons, dialogs::mbOKOnly);
}

TEST_F(Launch, ReasonTable) {
  struct Case {
    std::int32_t code;
    const char* reason;
  } cases[] = {
      {2, "файл приложения не найден."},
      {3, "файл приложения не найден."},
      {5, "недостаточно прав на выполнение операции."},
      {11, "файл приложения не может быть запущен под WIN32."},
      {1223, "операция отменена пользователем."},
      {1155, "ошибка № 1155."},
      {0, "ошибка № 0."},
      {-5, "ошибка № -5."},
      {INT_MIN, "ошибка № -2147483648."},
  };
  ScriptedLauncher l;
  auto form = Make(l);
  for (const auto& c : cases) {
    dialogs.Shown.clear();
    form.LastError = c.code;
    EXPECT_FALSE(form.ReportLaunchError("", false));
    ASSERT_EQ(dialogs.Shown.size(), 1u);
    EXPECT_EQ(dialogs.Shown[0].Text, std::string("Невозможно выполнить \"\":\r") + c.reason);
    EXPECT_EQ(form.LastError, c.code);  // read, never changed
  }
}

TEST_F(Launch, AskFormAcceptsOnlyYes) {
  ScriptedLauncher l;
  auto form = Make(l);
  form.LastError = 5;
  for (int answer : {6, 7, 2, 0}) {
    dialogs.Shown.clear();
    dialogs.Answers = {answer};
    EXPECT_EQ(form.ReportLaunchError("Имя", true), answer == 6);
    ASSERT_EQ(dialogs.Shown.size(), 1u);
    EXPECT_EQ(dialogs.Shown[0].Text,
              "Невозможно выполнить \"Имя\":\rнедостаточно прав на выполнение операции.\r"
              "Продолжить инсталляцию?");
    EXPECT_EQ(dialogs.Shown[0].Buttons, dialogs::mbYesNo);
  }
}

TEST_F(Launch, ElevationRequiredShowsTheNoRightsWindowOnly) {
  ScriptedLauncher l;
  auto form = Make(l);
  form.LastError = 740;
  for (bool ask : {false, true}) {
    dialogs.Answers = {6};
    EXPECT_FALSE(form.ReportLaunchError("x", ask));
  }
  EXPECT_EQ(dialogs.About740Shown, 2);
  EXPECT_TRUE(dialogs.Shown.empty());

  dialogs.About740Creatable = false;
  form.ReportLaunchError("x", false);
  ASSERT_EQ(dialogs.Shown.size(), 1u);
  EXPECT_EQ(dialogs.Shown[0].Text, "Не могу показать диалог!");
  EXPECT_EQ(dialogs.Shown[0].Kind, dialogs::mtError);
}

TEST_F(Launch, ShellCommands) {
  ScriptedLauncher l;
  auto form = Make(l);
  disc.Write("setup.ini", "\xEF\xBB\xBF[DOCBASE]\nDocDaseDir=Руководства\n");
  for (std::intptr_t result : {33, 32, 2, -1}) {
    dialogs.Shown.clear();
    l.Opened.clear();
    l.ShellResult = result;
    form.ViewRxSBClick();
    form.DocRxSBClick();
    ASSERT_EQ(l.Opened.size(), 2u);
    EXPECT_EQ(l.Opened[0], disc.Dir());
    EXPECT_EQ(l.Opened[1], common::ExtractFilePath(platform::ExecutablePath()) + "Руководства");
    EXPECT_EQ(dialogs.Shown.size(), result > 32 ? 0u : 2u) << result;
    for (const auto& d : dialogs.Shown) EXPECT_EQ(d.Text, "Ошибка просмотра диска!");
  }
}

// What the front ends hand over: each button runs its command, any other
// control none.
TEST_F(Launch, ClicksRunTheCommandTable) {
  ScriptedLauncher l;
  auto form = Make(l);
  disc.Write("setup.ini", "\xEF\xBB\xBF[DOCBASE]\nDocDaseDir=Руководства\n");
  common::SoftSetup = {"ПО", disc.Dir() + "setup.exe", "", ""};
  for (const TControlRow& row : MainLayout().Controls) form.Click(row.Id);
  EXPECT_EQ(l.Started, std::vector<std::string>{disc.Dir() + "setup.exe"});
  EXPECT_EQ(l.Opened, (std::vector<std::string>{
                          disc.Dir(), common::ExtractFilePath(platform::ExecutablePath()) +
                                          "Руководства"}));
  EXPECT_TRUE(dialogs.Shown.empty());
}

// Real children on every platform: the stand-in installers built beside the
// tests (child.cpp).
class BuiltChildren : public Launch {
 protected:
  static std::string Child(const char* name) {
    return common::ExtractFilePath(platform::ExecutablePath()) + name + kExe;
  }
#ifdef _WIN32
  static constexpr const char* kExe = ".exe";
#else
  static constexpr const char* kExe = "";
#endif
  TPlatformLauncher launcher;
};

TEST_F(BuiltChildren, WatchedUntilItEnds) {
  auto form = Make(launcher);
  ASSERT_TRUE(form.RunSetup(Child("child_2000")));
  EXPECT_EQ(form.LastError, 0);
  form.Timer1Timer();
  EXPECT_EQ(Status(), "Идет установка ...");
  EXPECT_FALSE(ButtonEnabled());
  int ticks = 0;
  while (timer.On && ticks < 100) {
    std::this_thread::sleep_for(std::chrono::milliseconds(200));
    form.Timer1Timer();
    ++ticks;
  }
  EXPECT_FALSE(timer.On);
  EXPECT_GE(ticks, 3);  // it ran for a while
  EXPECT_EQ(Status(), "Система ");
  EXPECT_TRUE(ButtonEnabled());
}

TEST_F(BuiltChildren, FailedStartsGiveThePlatformsCode) {
  disc.MakeDir("folder");
  disc.Write("text.exe", "not a program");
  struct Case {
    std::string path;
    std::int32_t code;
  } cases[] = {
      {disc.Dir() + "missing.exe", 2},
      {disc.Dir() + "no dir" + platform::PathDelimiter() + "missing.exe", 3},
      {"", 3},
  };
  auto form = Make(launcher);
  for (const auto& c : cases) {
    EXPECT_FALSE(form.RunSetup(c.path)) << c.path;
    EXPECT_EQ(form.LastError, c.code) << c.path;
  }
  // Neither a folder nor a file that is not a program starts; the code is
  // the platform's own.
  for (const char* name : {"folder", "text.exe"}) {
    EXPECT_FALSE(form.RunSetup(disc.Dir() + name)) << name;
    EXPECT_NE(form.LastError, 0) << name;
  }
  EXPECT_FALSE(timer.On);
  // The shell is handed folders only: not a missing "Docs" beside a program
  // "Docs.exe" (the shell would start that), nor a file.
  std::filesystem::copy_file(Child("child_0"), disc.Path() / (std::string("Docs") + kExe));
  for (const char* name : {"Docs", "text.exe", "Нет такой папки"})
    EXPECT_EQ(form.ShellOpen(disc.Dir() + name), 2) << name;
#ifdef _WIN32
  // Longer than CreateProcessW and ShellExecuteW take: refused before the
  // call, with Windows' code for a name too long.
  const std::string tooLong = disc.Dir() + std::string(MAX_PATH, 'd');
  EXPECT_FALSE(form.RunSetup(tooLong + "\\setup.exe"));
  EXPECT_EQ(form.LastError, 206);
  EXPECT_EQ(form.ShellOpen(tooLong), 3);
#endif
  EXPECT_FALSE(timer.On);
}

TEST_F(BuiltChildren, ManyLaunchesReleaseTheirHandles) {
  auto form = Make(launcher);
  const std::string quick = Child("child_0");
  auto runOnce = [&] {
    ASSERT_TRUE(form.RunSetup(quick));
    for (int t = 0; t < 1000 && timer.On; ++t) {
      std::this_thread::sleep_for(std::chrono::milliseconds(5));
      form.Timer1Timer();
    }
    ASSERT_FALSE(timer.On);
  };
  runOnce();
  const long before = OpenHandles();
  for (int i = 0; i < 100; ++i) runOnce();
  EXPECT_LE(OpenHandles(), before + 4);  // level, not growing with the launches
}

#ifndef _WIN32

// Real children, started through the platform.
class RealChildren : public Launch {
 protected:
  std::string Script(const std::string& name, const std::string& body, mode_t mode = 0755) {
    disc.Write(name, body);
    const std::string path = disc.Path().string() + "/" + name;
    chmod(path.c_str(), mode);
    return path;
  }
  // Ticks once a second until the monitor goes idle or `limit` ticks passed.
  int TicksUntilIdle(TSKDSetupForm& form, int limit) {
    for (int i = 1; i <= limit; ++i) {
      std::this_thread::sleep_for(std::chrono::milliseconds(1000));
      form.Timer1Timer();
      if (!timer.On) return i;
    }
    return -1;
  }
  TPlatformLauncher launcher;
};

TEST_F(RealChildren, ErrorCodes) {
  Script("plain.txt", "just text\n", 0644);
  Script("noshebang.bin", "\x01\x02 not a program\n", 0755);
  disc.MakeDir("folder");
  struct Case {
    const char* relative;
    std::int32_t code;
  } cases[] = {
      {"missing.sh", 2},      {"no dir/missing.sh", 3}, {"plain.txt", 5},
      {"noshebang.bin", 11},  {"folder", 5},            {"plain.txt/x", 3},
      // There, but its interpreter is not: a script saved with CR LF, and one
      // naming a program nobody has.
      {"crlf.sh", 11},        {"nointerp.sh", 11},
  };
  Script("crlf.sh", "#!/bin/sh\r\nexit 0\r\n");
  Script("nointerp.sh", "#!/no/such/interpreter\nexit 0\n");
  auto form = Make(launcher);
  for (const auto& c : cases) {
    EXPECT_FALSE(form.RunSetup(disc.Dir() + c.relative)) << c.relative;
    EXPECT_EQ(form.LastError, c.code) << c.relative;
  }
  EXPECT_FALSE(form.RunSetup(""));
  EXPECT_EQ(form.LastError, 3);
  EXPECT_FALSE(timer.On);
}

// Every errno a start can give means the Windows code of the same reason;
// none can read as another reason of the report.
TEST_F(RealChildren, ErrnoMapping) {
  const std::string missing = disc.Dir() + "missing";
  const std::pair<int, std::int32_t> mapped[] = {
      {ENOENT, 2},  {ENOTDIR, 3},  {EACCES, 5},        {EPERM, 5},     {EISDIR, 5},
      {ENOEXEC, 11}, {ELIBBAD, 11}, {EOVERFLOW, 11},   {EIO, 1117},    {ENOMEM, 8},
      {EAGAIN, 8},  {ENAMETOOLONG, 206}, {ETXTBSY, 32}, {ELOOP, 1921}, {EMFILE, 4},
      {ENFILE, 4},  {ENXIO, 21},   {ENODEV, 21},       {ENOMEDIUM, 21}, {EINVAL, 87},
      {EFAULT, 87}, {E2BIG, 1639},
  };
  for (auto [err, code] : mapped) EXPECT_EQ(platform::WindowsCodeOfErrno(err, missing), code) << err;
  const std::int32_t reasons[] = {2, 3, 5, 11, 740, 1223};
  for (int err = 1; err < 200; ++err) {
    if (std::any_of(std::begin(mapped), std::end(mapped), [&](auto m) { return m.first == err; }))
      continue;
    const std::int32_t code = platform::WindowsCodeOfErrno(err, missing);
    EXPECT_EQ(code, platform::kOtherStartError) << err;
    EXPECT_EQ(std::count(std::begin(reasons), std::end(reasons), code), 0) << err;
  }
}

// A parent that ignores SIGCHLD must not hide the installer's end: before
// the first start (the default comes back) and after it (the system reaps).
TEST_F(RealChildren, IgnoredChildSignalStillEnds) {
  auto form = Make(launcher);
  const std::string quick = Script("quick.sh", "#!/bin/sh\nexit 0\n");
  for (int round = 0; round < 2; ++round) {
    signal(SIGCHLD, SIG_IGN);
    ASSERT_TRUE(form.RunSetup(quick));
    EXPECT_GT(TicksUntilIdle(form, 10), 0) << round;
    EXPECT_TRUE(ButtonEnabled());
  }
  signal(SIGCHLD, SIG_DFL);
}

TEST_F(RealChildren, ShortAndLongChildren) {
  auto form = Make(launcher);
  ASSERT_TRUE(form.RunSetup(Script("quick.sh", "#!/bin/sh\nexit 3\n")));
  EXPECT_GT(TicksUntilIdle(form, 10), 0);  // one tick, unless the machine is very slow
  EXPECT_EQ(Status(), "Система ");

  ASSERT_TRUE(form.RunSetup(Script("slow.sh", "#!/bin/sh\nsleep 3\n")));
  std::this_thread::sleep_for(std::chrono::milliseconds(1000));
  form.Timer1Timer();
  EXPECT_EQ(Status(), "Идет установка ...");
  EXPECT_FALSE(ButtonEnabled());
  EXPECT_GT(TicksUntilIdle(form, 15), 0);
  EXPECT_TRUE(ButtonEnabled());
  EXPECT_EQ(Status(), "Система ");
}

TEST_F(RealChildren, UnsafeNamesAreStartedAsExactlyThatFile) {
  const std::string out = disc.Path().string() + "/received";
  const std::string body = "#!/bin/sh\nprintf '%s|%s\\n' \"$0\" \"$#\" >> '" + out + "'\n";
  const char* names[] = {"a b.sh", "q\"uote.sh", "semi;colon.sh", "$(touch pwned).sh",
                         "`touch pwned2`.sh", "-dash.sh", "Установка СКУД.sh"};
  auto form = Make(launcher);
  for (const char* n : names) {
    const std::string path = Script(n, body);
    ASSERT_TRUE(form.RunSetup(path)) << n;
    EXPECT_GT(TicksUntilIdle(form, 10), 0);
  }
  std::ifstream in(out);
  std::string line;
  size_t i = 0;
  while (std::getline(in, line)) {
    ASSERT_LT(i, std::size(names));
    EXPECT_EQ(line, disc.Path().string() + "/" + names[i] + "|0");  // no arguments
    ++i;
  }
  EXPECT_EQ(i, std::size(names));
  EXPECT_FALSE(std::filesystem::exists(disc.Path() / "pwned"));
  EXPECT_FALSE(std::filesystem::exists("pwned"));
}

TEST_F(RealChildren, LongPathIsPassedWhole) {
  std::string dir(120, 'd');
  const std::string rel = dir + "/" + dir + "/" + std::string(60, 'f') + ".sh";
  ASSERT_GT((disc.Path().string() + "/" + rel).size(), 300u);
  auto form = Make(launcher);
  ASSERT_TRUE(form.RunSetup(Script(rel, "#!/bin/sh\nexit 0\n")));
  EXPECT_GT(TicksUntilIdle(form, 5), 0);
}

int Zombies() {
  // Children of ours that ended but were not reaped.
  int n = 0;
  const std::string self = std::to_string(getpid());
  if (DIR* d = opendir("/proc")) {
    while (dirent* e = readdir(d)) {
      std::ifstream stat(std::string("/proc/") + e->d_name + "/stat");
      std::string pid, comm, state, ppid;
      if (stat >> pid >> comm >> state >> ppid && ppid == self && state == "Z") ++n;
    }
    closedir(d);
  }
  return n;
}

TEST_F(RealChildren, ManyLaunchesLeakNothing) {
  auto form = Make(launcher);
  const std::string quick = Script("quick.sh", "#!/bin/sh\nexit 0\n");
  const long fds = OpenHandles();
  for (int i = 0; i < 200; ++i) {
    ASSERT_TRUE(form.RunSetup(quick));
    // Poll until it ended, without the one-second clock.
    for (int t = 0; t < 500 && timer.On; ++t) {
      std::this_thread::sleep_for(std::chrono::milliseconds(5));
      form.Timer1Timer();
    }
    ASSERT_FALSE(timer.On);
  }
  EXPECT_EQ(OpenHandles(), fds);
  EXPECT_EQ(Zombies(), 0);
}

// Openers are not waited for: each stand-in below waits for the test's go,
// so ShellOpen has returned while it still runs. Its code, once it ends,
// decides what the next tick reports; nothing is left a zombie.
TEST_F(RealChildren, SlowOpenersAreWatchedByTheTicks) {
  const std::string oldPath = getenv("PATH") ? getenv("PATH") : "";
  setenv("PATH", (disc.Path().string() + "/bin:" + oldPath).c_str(), 1);
  const std::string go = disc.Path().string() + "/go";
  auto form = Make(launcher);
  const struct {
    const char* end;
    bool reported;
  } cases[] = {{"exit 0", false}, {"exit 2", true}, {"exit 3", true}, {"kill -9 $$", true}};
  for (const auto& c : cases) {
    std::filesystem::remove(go);
    Script("bin/xdg-open", "#!/bin/sh\nwhile [ ! -e '" + go + "' ]; do sleep 0.02; done\n" +
                               c.end + "\n");
    dialogs.Shown.clear();
    form.ViewRxSBClick();
    EXPECT_TRUE(dialogs.Shown.empty()) << c.end;  // the opener has not ended yet
    EXPECT_TRUE(timer.On) << c.end;
    form.Timer1Timer();
    EXPECT_TRUE(dialogs.Shown.empty()) << c.end;
    disc.Write("go", "");
    for (int t = 0; t < 500 && timer.On; ++t) {
      std::this_thread::sleep_for(std::chrono::milliseconds(10));
      form.Timer1Timer();
    }
    EXPECT_FALSE(timer.On) << c.end;
    ASSERT_EQ(dialogs.Shown.size(), c.reported ? 1u : 0u) << c.end;
    if (c.reported) {
      EXPECT_EQ(dialogs.Shown[0].Text, "Ошибка просмотра диска!");
    }
  }
  setenv("PATH", oldPath.c_str(), 1);
  // A watched installer replaced by a newer one, which ends too.
  ASSERT_TRUE(form.RunSetup(Script("first.sh", "#!/bin/sh\nsleep 0.5\n")));
  ASSERT_TRUE(form.RunSetup(Script("second.sh", "#!/bin/sh\nexit 0\n")));
  EXPECT_GT(TicksUntilIdle(form, 5), 0);
  // Nothing else is called now: the let-go children are reaped by themselves.
  std::this_thread::sleep_for(std::chrono::milliseconds(1000));
  EXPECT_EQ(Zombies(), 0);
}

TEST_F(RealChildren, ANewerChildReplacesTheWatchedOne) {
  auto form = Make(launcher);
  const std::string pidFile = disc.Path().string() + "/first.pid";
  ASSERT_TRUE(form.RunSetup(Script("first.sh", "#!/bin/sh\necho $$ > '" + pidFile + "'\nexec sleep 30\n")));
  ASSERT_TRUE(form.RunSetup(Script("second.sh", "#!/bin/sh\nexit 0\n")));
  EXPECT_GT(TicksUntilIdle(form, 5), 0);  // the newer child decides
  pid_t first = 0;
  for (int i = 0; i < 50 && !first; ++i) {
    std::ifstream(pidFile) >> first;
    if (!first) std::this_thread::sleep_for(std::chrono::milliseconds(100));
  }
  ASSERT_GT(first, 0);
  EXPECT_EQ(kill(first, 0), 0);  // the earlier one runs on
  kill(first, SIGTERM);
}

TEST_F(RealChildren, ShellOpenerGetsTheFolder) {
  const std::string log = disc.Path().string() + "/opened";
  Script("bin/xdg-open", "#!/bin/sh\nprintf '%s\\n' \"$1\" >> '" + log + "'\n");
  const std::string oldPath = getenv("PATH") ? getenv("PATH") : "";
  setenv("PATH", (disc.Path().string() + "/bin:" + oldPath).c_str(), 1);
  disc.MakeDir("Руководства оператора");
  auto form = Make(launcher);
  EXPECT_EQ(form.ShellOpen(disc.Dir() + "Руководства оператора"), 33);
  EXPECT_LE(form.ShellOpen(disc.Dir() + "Нет такой папки"), 32);
  form.ViewRxSBClick();
  EXPECT_TRUE(dialogs.Shown.empty());
  setenv("PATH", oldPath.c_str(), 1);
  std::vector<std::string> lines;
  for (int i = 0; i < 50 && lines.size() < 2; ++i) {
    std::this_thread::sleep_for(std::chrono::milliseconds(100));
    lines.clear();
    std::ifstream in(log);
    for (std::string l; std::getline(in, l);) lines.push_back(l);
  }
  // The openers run side by side, so either may write first.
  std::sort(lines.begin(), lines.end());
  std::vector<std::string> expected = {disc.Path().string() + "/",
                                       disc.Path().string() + "/Руководства оператора"};
  std::sort(expected.begin(), expected.end());
  EXPECT_EQ(lines, expected);
  for (int t = 0; t < 500 && timer.On; ++t) {
    std::this_thread::sleep_for(std::chrono::milliseconds(10));
    form.Timer1Timer();
  }
  EXPECT_FALSE(timer.On);
}

#endif

}  // namespace
