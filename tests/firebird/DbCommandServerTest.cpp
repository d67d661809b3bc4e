// The database command with the real probe: the private Firebird server
// answers, the rest (registry, answers) is the test's own.

#include <gtest/gtest.h>

#include <sys/stat.h>

#include <cstdlib>
#include <fstream>

#include "../core/TestSupport.h"
#include "config/Common.h"
#include "dbserver/Probe.h"
#include "platform/Registry.h"
#include "ui/F_Info.h"
#include "ui/Main.h"

using namespace testing_support;
using namespace ui;

namespace {

const bool kPrivateLockDir = [] {
  const std::string dir = std::string(SKD_FIREBIRD_DIR) + "/client-lock";
  mkdir(SKD_FIREBIRD_DIR, 0700);
  mkdir(dir.c_str(), 0700);
  return setenv("FIREBIRD_LOCK", dir.c_str(), 1) == 0;
}();

// Firebird registered in one folder; nothing else.
class OneServer : public platform::IRegistryReader {
 public:
  explicit OneServer(std::string dir) : dir_(std::move(dir)) {}
  bool OpenKey(std::uint32_t, const std::string& key) override {
    open_ = key == platform::kFirebirdKey;
    return open_;
  }
  bool ReadString(const std::string& name, std::string& value) override {
    value = open_ && name == "DefaultInstance" ? dir_ : "";
    return open_;
  }
  void CloseKey() override { open_ = false; }

 private:
  std::string dir_;
  bool open_ = false;
};

class DbCommandWithServer : public CleanState {
 protected:
  DbCommandWithServer() {
    common::ProgramDir = disc.Dir();
    SetInfoEnvironment({});  // no window: the copies go on without one
    serverDir.Write("old", "");
    disc.MakeDir("Service");
    disc.Write("Service/DIZ_JSC.GDB", "service database");
    common::ServiceDbDir = disc.Dir() + "Service";
    common::ServiceDbFile = common::ServiceDbDir + "/DIZ_JSC.GDB";
  }
  TSKDSetupForm Make(const std::string& password) {
    TFormDeps deps{view, timer, pump, dialogs, launcher};
    const std::string dir = serverDir.Dir();
    deps.Registry = [dir](std::uint32_t) { return std::make_unique<OneServer>(dir); };
    std::ifstream in(std::string(SKD_FIREBIRD_DIR) + "/port");
    int port = 0;
    in >> port;
    deps.Probe.ServiceName = "127.0.0.1/" + std::to_string(port) + ":service_mgr";
    deps.Probe.Password = password;
    return TSKDSetupForm(deps);
  }
  TempDir disc, serverDir;
  RecordingView view;
  ManualTimer timer;
  CountingPump pump;
  ScriptedDialogs dialogs;
  TPlatformLauncher launcher;
};

TEST_F(DbCommandWithServer, RunningServerAsksNothingAndGetsTheServiceDb) {
  dialogs.Answers = {dialogs::mrOk};
  auto form = Make("ravarizez");
  form.DBSetupRXSBClick();
  ASSERT_EQ(dialogs.Shown.size(), 2u);  // the path warning, then the launch report
  EXPECT_EQ(dialogs.Shown[1].Text, "Невозможно выполнить \"\":\rфайл приложения не найден.");
  std::ifstream copied(serverDir.Path() / "DIZ_JSC.GDB", std::ios::binary);
  EXPECT_EQ(std::string(std::istreambuf_iterator<char>(copied), {}), "service database");
  EXPECT_EQ(view.Cursor, TCursor::crDefault);
}

TEST_F(DbCommandWithServer, ChangedPasswordReadsAsNotRunning) {
  dialogs.Answers = {dialogs::mrOk, dialogs::mrNo};
  auto form = Make("changed");
  form.DBSetupRXSBClick();
  ASSERT_EQ(dialogs.Shown.size(), 2u);
  EXPECT_EQ(dialogs.Shown[1].Text.rfind("Хотя сервер InterBase/FireBird и установлен", 0), 0u);
  EXPECT_FALSE(std::filesystem::exists(serverDir.Path() / "DIZ_JSC.GDB"));
}

}  // namespace
