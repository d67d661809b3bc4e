#include "app/Startup.h"

#include "config/Common.h"
#include "config/IniF.h"
#include "help/Help.h"
#include "platform/Platform.h"
#include "ui/Application.h"
#include "ui/F_Info.h"
#include "ui/Style.h"
#include "ui/_Consts.h"

namespace app {

std::string StyleNotFoundText(const std::string& styleName) {
  const std::string format = consts::SStyleNotFound;
  const auto at = format.find("%s");
  return format.substr(0, at) + styleName + format.substr(at + 2);
}

namespace {

// Help errors in the front end's error box.
class DialogsHelpErrorBox : public help::IHelpErrorBox {
 public:
  dialogs::IDialogs* Dialogs = nullptr;
  void Show(const std::string& caption, const std::string& text) override {
    if (Dialogs) Dialogs->ShowErrorBox(caption, text);
  }
};
DialogsHelpErrorBox g_helpErrorBox;

}  // namespace

void ConnectFrontEnd(dialogs::IDialogs& dialogs, std::function<void()> terminate) {
  g_helpErrorBox.Dialogs = &dialogs;
  help::SetHelpErrorBox(&g_helpErrorBox);
  ui::Application.OnTerminate = std::move(terminate);
}

void DisconnectFrontEnd() {
  ui::HideInfo();
  ui::SetInfoEnvironment({});
  help::SetHelpErrorBox(nullptr);
  g_helpErrorBox.Dialogs = nullptr;
  ui::Application.OnTerminate = nullptr;
}

int RunApplication(IFrontEnd& frontEnd) {
  auto& application = ui::Application;
  frontEnd.InitApplication();
  common::InitProgramDir();
  inif::LoadSetupNames();

  application.Title = common::WindowName;
  frontEnd.SetTitle(application.Title);
  // Never a bare name, which would name a file of the current folder.
  if (const std::string dir = common::ExtractFilePath(platform::ExecutablePath()); !dir.empty())
    application.HelpFile = dir + "setup.hlp";

  application.StyleApplied = frontEnd.ApplyStyle(ui::kStyleName);
  if (!application.StyleApplied)
    frontEnd.ShowToolkitError(consts::SToolkitErrorTitle, StyleNotFoundText(ui::kStyleName),
                              consts::SToolkitCloseButton);

  {
    auto window = frontEnd.CreateMainWindow();
    ui::TSKDSetupForm form(window->Deps());
    window->Attach(form);
    form.FormCreate();
    frontEnd.RunMessageLoop(*window);
    form.FormDestroy();
  }

  help::ReleaseHelp();
  common::ClearSettings();
  return 0;
}

}  // namespace app
