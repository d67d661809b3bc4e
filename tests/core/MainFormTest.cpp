#include <gtest/gtest.h>

#include "TestSupport.h"
#include "config/Common.h"
#include "ui/Application.h"
#include "ui/Main.h"

using namespace testing_support;
using namespace ui;

namespace {

class MainForm : public CleanState {
 protected:
  MainForm() { common::ProgramDir = disc.Dir(); }
  TSKDSetupForm Make() { return TSKDSetupForm({view, timer, pump, dialogs, launcher}); }
  TempDir disc;
  RecordingView view;
  ManualTimer timer;
  CountingPump pump;
  ScriptedDialogs dialogs;
  TPlatformLauncher launcher;
};

TEST_F(MainForm, CreateWithValidPrg) {
  disc.Write(
      "setup.ini",
      SetupIniBytes("[PRG]\nName=Программа СКУД\nLocation=Soft\\setup.sh\n"
                    "SetupHint=Установить СКУД\n[DATE]\nDate=2024, май\n[SERVICE]\nPath=Db\n"));
  disc.Write("Db/DIZ_JSC.GDB", "");
  common::WindowName = "Диск";
  common::SystemName = "Система";
  auto form = Make();
  EXPECT_EQ(timer.Period, 1000);
  timer.On = true;
  form.LastError = 5;
  form.FormCreate();

  EXPECT_FALSE(timer.On);
  EXPECT_EQ(form.LastError, 0);
  EXPECT_FALSE(view.Visible.at(Image1));
  EXPECT_EQ(view.Top.at(Image2), 8);
  EXPECT_EQ(view.Top.at(SoftSetupRXSB), 130);
  EXPECT_EQ(view.Top.at(SoftLabel), 150);
  EXPECT_EQ(view.Top.at(StatusLabel), 65);
  EXPECT_EQ(view.Top.at(DateLabel), 88);
  EXPECT_EQ(view.Text.at(DateLabel), "2024, май");
  EXPECT_EQ(view.Caption, "Диск");
  EXPECT_EQ(view.Text.at(StatusLabel), "Система");
  EXPECT_EQ(view.Text.at(SoftLabel), "Программа СКУД");
  EXPECT_EQ(view.Hint.at(SoftSetupRXSB), "Установить СКУД");
  EXPECT_EQ(common::SoftSetup.SetupFile, disc.Dir() + "Soft\\setup.sh");
  EXPECT_EQ(common::ServiceDbFile, disc.Dir() + "Db\\DIZ_JSC.GDB");
  ASSERT_NE(common::LibraryList, nullptr);
  EXPECT_EQ(common::LibraryList->Count(), 0u);
  EXPECT_TRUE(dialogs.Shown.empty());
  EXPECT_FALSE(Application.Terminated);
}

TEST_F(MainForm, CreateWithoutDateOrHintLeavesThemAlone) {
  disc.Write("setup.ini", SetupIniBytes("[PRG]\nName=N\nLocation=L\n"));
  auto form = Make();
  form.FormCreate();
  EXPECT_EQ(view.Text.at(DateLabel), "");  // emptied, not the layout's text
  EXPECT_EQ(view.Hint.count(SoftSetupRXSB), 0u);
  EXPECT_EQ(common::ServiceDbFile, "");
}

TEST_F(MainForm, InvalidPrgReportsOnceAndRequestsTermination) {
  for (const char* ini : {"", "[PRG]\nName=N\n", "[PRG]\nLocation=L\n", "[SETUP]\nx=y\n"}) {
    dialogs.Shown.clear();
    Application.Reset();
    if (*ini) disc.Write("setup.ini", SetupIniBytes(ini));
    auto form = Make();
    form.FormCreate();
    ASSERT_EQ(dialogs.Shown.size(), 1u) << ini;
    const auto& d = dialogs.Shown[0];
    EXPECT_EQ(d.Text,
              "Не могу загрузить информацию,\rнеобходимую для инсталляции программного обеспечения.");
    EXPECT_EQ(d.Kind, dialogs::mtError);
    EXPECT_EQ(d.Buttons, dialogs::mbOKOnly);
    EXPECT_EQ(d.HelpContext, 0);
    EXPECT_EQ(d.X, -1);
    EXPECT_EQ(d.Y, -1);
    EXPECT_TRUE(Application.Terminated);
    EXPECT_EQ(view.Text.count(SoftLabel), 0u);
    // Caption and status line were set before the descriptor was read.
    EXPECT_EQ(view.Caption, "LDTK. Инсталлятор");
  }
}

TEST_F(MainForm, CloseQueryAcceptsOnlyYes) {
  auto form = Make();
  for (int answer : {int(dialogs::mrYes), int(dialogs::mrNo), int(dialogs::mrCancel), 0, int(dialogs::mrOk)}) {
    dialogs.Answers = {answer};
    dialogs.Shown.clear();
    bool canClose = answer != dialogs::mrYes;  // starts opposite to the expectation
    form.FormCloseQuery(canClose);
    EXPECT_EQ(canClose, answer == dialogs::mrYes) << answer;
    ASSERT_EQ(dialogs.Shown.size(), 1u);
    EXPECT_EQ(dialogs.Shown[0].Text, "Закрыть программу?");
    EXPECT_EQ(dialogs.Shown[0].Kind, dialogs::mtShutdown);
    EXPECT_EQ(dialogs.Shown[0].Buttons, dialogs::mbYesNo);
  }
}

TEST_F(MainForm, CloseNoLeavesMonitoringAlone) {
  auto form = Make();
  timer.On = true;
  dialogs.Answers = {dialogs::mrNo};
  bool canClose = true;
  form.FormCloseQuery(canClose);
  EXPECT_FALSE(canClose);
  EXPECT_TRUE(timer.On);
}

struct TopicRecorder : help::THelpProvider {
  std::vector<int>* topics;
  explicit TopicRecorder(std::vector<int>* t) : topics(t) {}
  bool Loaded() const override { return true; }
  void ShowContents() override {}
  void ShowTopic(std::int32_t c) override { topics->push_back(c); }
};

// The close box as every front end reports it: the question unless
// termination is pending, and FormClose (the help let go) only on the way out.
TEST_F(MainForm, CloseQueryAsksThenCloses) {
  auto form = Make();
  std::vector<int> topics;
  help::HelpProvider = std::make_unique<TopicRecorder>(&topics);
  dialogs.Answers = {dialogs::mrNo, dialogs::mrYes};
  EXPECT_FALSE(form.CloseQuery());
  EXPECT_NE(help::HelpProvider, nullptr);
  EXPECT_TRUE(form.CloseQuery());
  EXPECT_EQ(help::HelpProvider, nullptr);
  EXPECT_EQ(dialogs.Shown.size(), 2u);
  Application.Terminate();
  EXPECT_TRUE(form.CloseQuery());
  EXPECT_EQ(dialogs.Shown.size(), 2u);
}

TEST_F(MainForm, HelpKeyShowsTheWindowsTopic) {
  auto form = Make();
  std::vector<int> topics;
  help::HelpProvider = std::make_unique<TopicRecorder>(&topics);
  form.HelpKey();
  EXPECT_EQ(topics, std::vector<int>{10});
}

TEST_F(MainForm, HelpGoesToTheTopicAndClearsCallHelp) {
  auto form = Make();
  bool callHelp = true;
  EXPECT_FALSE(form.FormHelp(0x0003, 10, callHelp));
  EXPECT_FALSE(callHelp);
  ASSERT_EQ(helpBox.Shown.size(), 1u);
  EXPECT_EQ(helpBox.Shown[0],
            std::make_pair(std::string("Помощь"), std::string("Ошибка инициализации подсистемы помощи!")));
  form.HelpBitBtnClick();
  EXPECT_EQ(helpBox.Shown.size(), 2u);
}

TEST_F(MainForm, CloseButtonAndDestroy) {
  auto form = Make();
  form.CloseBitBtnClick();
  EXPECT_EQ(view.CloseRequests, 1);
  EXPECT_TRUE(dialogs.Shown.empty());  // the query comes with the close itself
  form.AddSetupRXSBClick();
  common::CreateLibraryList();
  timer.On = true;
  form.FormDestroy();
  EXPECT_FALSE(timer.On);
  EXPECT_EQ(common::LibraryList, nullptr);
}

TEST(MainLayoutTable, WindowAndControls) {
  const auto& l = MainLayout();
  EXPECT_EQ(l.ClientWidth, 482);
  EXPECT_EQ(l.ClientHeight, 281);
  EXPECT_TRUE(l.FixedSize);
  EXPECT_FALSE(l.MinimizeBox);
  EXPECT_FALSE(l.MaximizeBox);
  EXPECT_EQ(l.HelpContext, 10);
  ASSERT_EQ(l.Controls.size(), 10u);
  for (size_t i = 0; i < l.Controls.size(); ++i) {
    EXPECT_EQ(l.Controls[i].Id, static_cast<int>(i));  // painting order
    EXPECT_EQ(l.Controls[i].TabOrder, -1);             // nothing takes the focus
  }
  EXPECT_STREQ(l.Find(SoftSetupRXSB)->Hint, "Выполнить установку");
  EXPECT_FALSE(l.Find(DateLabel)->Transparent);
  EXPECT_TRUE(l.Find(SoftLabel)->Transparent);
  const auto menu = AddPrgPopupMenu();
  ASSERT_EQ(menu.size(), 8u);
  EXPECT_EQ(menu[6].Caption, nullptr);
  EXPECT_EQ(menu[7].Tag, 7);
  EXPECT_STREQ(menu[1].Caption, "Установить \"Ночной Диспетчер\"");
}

}  // namespace
