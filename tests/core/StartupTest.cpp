#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>

#include "TestSupport.h"
#include "app/Startup.h"
#include "config/Common.h"
#include "platform/Platform.h"
#include "ui/Application.h"

using namespace testing_support;

namespace {

struct FakeWindow : app::IMainWindow {
  RecordingView view;
  ManualTimer timer;
  CountingPump pump;
  ui::TPlatformLauncher launcher;
  ScriptedDialogs& dialogs;
  ui::TSKDSetupForm* form = nullptr;
  explicit FakeWindow(ScriptedDialogs& d) : dialogs(d) {}
  ui::TFormDeps Deps() override { return {view, timer, pump, dialogs, launcher}; }
  void Attach(ui::TSKDSetupForm& f) override { form = &f; }
};

struct FakeFrontEnd : app::IFrontEnd {
  std::vector<std::string> calls;
  bool styleAvailable = true;
  ScriptedDialogs dialogs;
  FakeWindow* window = nullptr;
  bool closed = false;

  void InitApplication() override { calls.push_back("init"); }
  void SetTitle(const std::string& t) override { calls.push_back("title " + t); }
  bool ApplyStyle(const std::string& n) override {
    calls.push_back("style " + n);
    return styleAvailable;
  }
  void ShowToolkitError(const std::string& title, const std::string& text,
                        const std::string& button) override {
    calls.push_back("error " + title + "|" + text + "|" + button);
  }
  std::unique_ptr<app::IMainWindow> CreateMainWindow() override {
    calls.push_back("create");
    auto w = std::make_unique<FakeWindow>(dialogs);
    window = w.get();
    return w;
  }
  void RunMessageLoop(app::IMainWindow&) override {
    calls.push_back(ui::Application.Terminated ? "loop terminated" : "loop");
    if (ui::Application.Terminated) return;
    // The user closes the window and answers the question.
    closed = window->form->CloseQuery();
  }
};

class Startup : public CleanState {};

// Both runs read setup.ini beside the test program, so they share one test.
TEST_F(Startup, SequenceWithAndWithoutSetupIni) {
  const std::string exe = platform::ExecutablePath();
  const auto dir = std::filesystem::path(std::u8string(exe.begin(), exe.end())).parent_path();
  const auto ini = dir / "setup.ini";
  std::filesystem::remove(ini);

  {
    FakeFrontEnd fe;
    fe.styleAvailable = false;
    EXPECT_EQ(app::RunApplication(fe), 0);
    const std::vector<std::string> expected = {
        "init",
        "title LDTK. Инсталлятор",
        "style Amethyst Kamri",
        "error Error|Style 'Amethyst Kamri' not found|&Close",
        "create",
        "loop terminated",
    };
    EXPECT_EQ(fe.calls, expected);
    ASSERT_EQ(fe.dialogs.Shown.size(), 1u);  // the load error, no close question
    EXPECT_EQ(fe.dialogs.Shown[0].Kind, dialogs::mtError);
    EXPECT_FALSE(ui::Application.StyleApplied);
    EXPECT_EQ(ui::Application.HelpFile, Utf8Path(dir) + platform::PathDelimiter() + "setup.hlp");
    EXPECT_EQ(common::ProgramDir, "");  // cleared at shutdown
    EXPECT_EQ(common::LibraryList, nullptr);
  }

  ui::Application.Reset();
  common::ResetSettings();
  std::ofstream(ini, std::ios::binary)
      << SetupIniBytes("[SETUP]\nWindowName=Диск СКУД\n[PRG]\nName=П\nLocation=p\n");
  {
    FakeFrontEnd fe;
    fe.dialogs.Answers = {dialogs::mrYes};
    EXPECT_EQ(app::RunApplication(fe), 0);
    EXPECT_EQ(fe.calls[1], "title Диск СКУД");
    EXPECT_EQ(fe.calls.back(), "loop");
    EXPECT_TRUE(ui::Application.StyleApplied);
    EXPECT_EQ(ui::Application.Title, "Диск СКУД");
    ASSERT_EQ(fe.dialogs.Shown.size(), 1u);
    EXPECT_EQ(fe.dialogs.Shown[0].Text, "Закрыть программу?");
    EXPECT_TRUE(fe.closed);
  }
  std::filesystem::remove(ini);
}

TEST(StartupText, StyleNotFound) {
  EXPECT_EQ(app::StyleNotFoundText("Amethyst Kamri"), "Style 'Amethyst Kamri' not found");
}

}  // namespace
