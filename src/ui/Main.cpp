#include "ui/Main.h"

#include "config/Common.h"
#include "config/IniF.h"
#include "help/Help.h"
#include "ui/Application.h"
#include "ui/F_SelSrv.h"
#include "ui/_Consts.h"

namespace ui {

using namespace dialogs;

TSKDSetupForm::TSKDSetupForm(const TFormDeps& deps) : deps_(deps) {
  deps_.Timer.SetInterval(kTimer1Interval);
  deps_.Timer.SetEnabled(false);
}

void TSKDSetupForm::FormCreate() {
  deps_.Timer.SetEnabled(false);
  LastError = 0;

  auto& view = deps_.View;
  view.SetVisible(Image1, false);
  view.SetTop(Image2, 8);
  view.SetTop(SoftSetupRXSB, 130);
  view.SetTop(SoftLabel, 150);
  view.SetTop(StatusLabel, 65);
  view.SetTop(DateLabel, 88);

  view.SetText(DateLabel, inif::GetSetupDate());
  view.SetCaption(common::WindowName);
  view.SetText(StatusLabel, common::SystemName);

  common::CreateLibraryList();

  if (inif::LoadSetupRec("PRG", "Name", "Location", common::SoftSetup)) {
    view.SetText(SoftLabel, common::SoftSetup.SetupName);
    if (!common::SoftSetup.SetupHint.empty())
      view.SetHint(SoftSetupRXSB, common::SoftSetup.SetupHint);
    common::ServiceDbFile = inif::FindServiceDb();
  } else {
    MessageDlg(deps_.Dialogs, consts::SLoadSetupError, mtError, mbOKOnly);
    Application.Terminate();
  }

  // Optional sections that give the documentation, database server and
  // database commands their installers; absent, the descriptor stays empty.
  inif::LoadSetupRec("DOCSETUP", "Name", "Location", common::DocSetup);
  inif::LoadSetupRec("IBSETUP", "Name", "Location", common::IBSetup);
  inif::LoadSetupRec("DBSETUP", "Name", "Location", common::DBSetup);
}

void TSKDSetupForm::FormCloseQuery(bool& CanClose) {
  CanClose = MessageDlg(deps_.Dialogs, consts::SCloseQuery, mtShutdown, mbYesNo) == mrYes;
}

void TSKDSetupForm::FormClose() { help::ReleaseHelp(); }

void TSKDSetupForm::FormDestroy() {
  deps_.Timer.SetEnabled(false);
  common::FreeLibraryList();
}

bool TSKDSetupForm::FormHelp(std::uint16_t, std::intptr_t Data, bool& CallHelp) {
  help::ShowHelpTopic(static_cast<std::int32_t>(Data));
  CallHelp = false;
  return false;
}

void TSKDSetupForm::CloseBitBtnClick() { deps_.View.RequestClose(); }

void TSKDSetupForm::HelpBitBtnClick() { help::ShowHelpContents(); }

void TSKDSetupForm::AddSetupRXSBClick() {}

platform::TProcessInformation SetupProcess;

std::string LaunchErrorReason(std::int32_t code) {
  switch (code) {
    case 2:
    case 3: return consts::SFileNotFound;
    case 5: return consts::SAccessDenied;
    case 11: return consts::SBadFormat;
    case 1223: return consts::SCancelled;
    default: return consts::SErrorNumber + std::to_string(code) + ".";
  }
}

bool TSKDSetupForm::RunSetup(const std::string& path) {
  std::int32_t error = 0;
  if (!deps_.Launcher.StartProcess(path, SetupProcess, error)) {
    LastError = error;
    return false;
  }
  EnableSetup(false);
  deps_.Timer.SetEnabled(true);
  LastError = 0;
  return true;
}

void TSKDSetupForm::EnableSetup(bool enabled) { deps_.View.SetEnabled(SoftSetupRXSB, enabled); }

void TSKDSetupForm::Timer1Timer() {
  std::uint32_t code = 0;
  if (!deps_.Launcher.GetExitCode(SetupProcess, code)) return;  // ask again next tick
  if (code == platform::kStillActive) {
    deps_.View.SetText(StatusLabel, consts::SInstalling);
    return;
  }
  deps_.Timer.SetEnabled(false);
  deps_.View.SetText(StatusLabel, common::SystemName);
  EnableSetup(true);
}

void TSKDSetupForm::SoftSetupRXSBClick() {
  if (!RunSetup(common::SoftSetup.SetupFile)) ReportLaunchError(common::SoftSetup.SetupName, false);
}

bool TSKDSetupForm::ReportLaunchError(const std::string& name, bool ask) {
  const std::int32_t code = LastError;
  if (code == ERROR_ELEVATION_REQUIRED_CODE) {
    ShowAbout740();
    return false;
  }
  std::string text = consts::SCantExecute + name + consts::SCantExecuteTail + LaunchErrorReason(code);
  if (ask)
    return MessageDlg(deps_.Dialogs, text + consts::SContinueSetup, mtError, mbYesNo) == mrYes;
  MessageDlg(deps_.Dialogs, text, mtError, mbOKOnly);
  return false;
}

void TSKDSetupForm::ShowAbout740() {
  if (!deps_.Dialogs.RunAbout740Form())
    MessageDlg(deps_.Dialogs, consts::SCantShowDialog, mtError, mbOKOnly);
}

std::intptr_t TSKDSetupForm::ShellOpen(const std::string& path) {
  return deps_.Launcher.ShellOpen(path);
}

void TSKDSetupForm::ViewRxSBClick() {
  if (ShellOpen(common::ProgramDir) <= 32)
    MessageDlg(deps_.Dialogs, consts::SViewDiscError, mtError, mbOKOnly);
}

void TSKDSetupForm::DocRxSBClick() {
  if (ShellOpen(inif::GetDocBaseDir()) <= 32)
    MessageDlg(deps_.Dialogs, consts::SViewDiscError, mtError, mbOKOnly);
}

// The disc's installers are named relative to the program directory; the
// value is put behind it as read.
void TSKDSetupForm::ServerSetupRXSBClick() {
  const int n = SelectServer(deps_.Dialogs);
  if (n == 0) return;
  const std::string location = inif::GetSrvLocation(n);
  if (location.empty()) {
    MessageDlg(deps_.Dialogs, consts::SNoInstallerLocation, mtError, mbOKOnly);
    return;
  }
  if (!RunSetup(common::ProgramDir + location))
    ReportLaunchError(consts::SHardwareServerName, false);
}

void TSKDSetupForm::mnuAdd_Click(const TMenuItem& Sender) {
  if (!Sender.Caption) return;  // the separator
  const std::string location = inif::GetAddLocation(Sender.Tag);
  if (location.empty()) {
    MessageDlg(deps_.Dialogs, consts::SNoInstallerLocation, mtError, mbOKOnly);
    return;
  }
  if (!RunSetup(common::ProgramDir + location)) ReportLaunchError(Sender.Caption, false);
}

void TSKDSetupForm::DocSetupRXSBClick() {
  if (!RunSetup(common::DocSetup.SetupFile)) ReportLaunchError(common::DocSetup.SetupName, false);
}

}  // namespace ui
