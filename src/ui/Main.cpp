#include "ui/Main.h"

#include "config/Common.h"
#include "config/IniF.h"
#include "dbserver/CopyFile.h"
#include "dbserver/Reestr.h"
#include "help/Help.h"
#include "ui/Application.h"
#include "ui/F_FBInstallHelp.h"
#include "ui/F_Info.h"
#include "ui/F_SelSrv.h"
#include "ui/F_Ver.h"
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

  if (inif::LoadSetupRec(inif::ini::kPrg, common::SoftSetup)) {
    view.SetText(SoftLabel, common::SoftSetup.SetupName);
    if (!common::SoftSetup.SetupHint.empty())
      view.SetHint(SoftSetupRXSB, common::SoftSetup.SetupHint);
    common::ServiceDbFile = inif::FindServiceDb();
    // Optional sections that give the documentation, database server and
    // database commands their installers. A half-filled one counts as
    // absent: its location, not put behind the program directory, would
    // name a file in whatever folder the menu was started from.
    for (auto [section, rec] : {std::pair{inif::ini::kDocSetup, &common::DocSetup},
                                {inif::ini::kIbSetup, &common::IBSetup},
                                {inif::ini::kDbSetup, &common::DBSetup}})
      if (!inif::LoadSetupRec(section, *rec)) *rec = TSetupRec{};
  } else {
    MessageDlg(deps_.Dialogs, consts::SLoadSetupError, mtError, mbOKOnly);
    Application.Terminate();
  }
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
  return help::FormHelp(Data, CallHelp);
}

namespace {
// WinHelp's HELP_CONTEXT: the command a window's F1 passes to its help event.
constexpr std::uint16_t kHelpContextCommand = 1;
}  // namespace

void TSKDSetupForm::Click(int control) {
  for (const TMainCommand& command : MainCommands())
    if (command.Control == control) Perform(command.Handler);
}

bool TSKDSetupForm::CloseQuery() {
  bool canClose = true;
  if (!Application.Terminated) FormCloseQuery(canClose);
  if (canClose) FormClose();
  return canClose;
}

void TSKDSetupForm::HelpKey() {
  bool callHelp = true;
  FormHelp(kHelpContextCommand, MainLayout().HelpContext, callHelp);
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
  monitoring_ = true;
  deps_.Timer.SetEnabled(true);
  LastError = 0;
  return true;
}

void TSKDSetupForm::EnableSetup(bool enabled) { deps_.View.SetEnabled(SoftSetupRXSB, enabled); }

// The installer's monitor, and the shell's openers' too: the timer runs
// while either is watched.
void TSKDSetupForm::Timer1Timer() {
  std::uint32_t code = 0;
  if (!monitoring_) {
    // Only openers watched.
  } else if (!deps_.Launcher.GetExitCode(SetupProcess, code)) {
    // Ask again next tick.
  } else if (code == platform::kStillActive) {
    deps_.View.SetText(StatusLabel, consts::SInstalling);
  } else {
    monitoring_ = false;
    deps_.View.SetText(StatusLabel, common::SystemName);
    EnableSetup(true);
  }
  ReportEndedOpeners();
}

void TSKDSetupForm::ReportEndedOpeners() {
  bool running = false;
  // Counted before any report: the ticks during the dialog find none twice.
  int failed = deps_.Launcher.EndedOpenerFailures(running);
  if (!running && !monitoring_) deps_.Timer.SetEnabled(false);
  for (; failed > 0; --failed) MessageDlg(deps_.Dialogs, consts::SViewDiscError, mtError, mbOKOnly);
}

void TSKDSetupForm::SoftSetupRXSBClick() { RunSetupRec(common::SoftSetup); }

void TSKDSetupForm::RunSetupRec(const TSetupRec& rec) {
  if (!RunSetup(rec.SetupFile)) ReportLaunchError(rec.SetupName, false);
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
  const std::intptr_t result = deps_.Launcher.ShellOpen(path);
  // An opener may still fail; the ticks watch it.
  if (result > 32) deps_.Timer.SetEnabled(true);
  return result;
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
void TSKDSetupForm::RunDiscInstaller(const std::string& location, const std::string& name) {
  if (location.empty()) {
    MessageDlg(deps_.Dialogs, consts::SNoInstallerLocation, mtError, mbOKOnly);
    return;
  }
  if (!RunSetup(common::ProgramDir + location)) ReportLaunchError(name, false);
}

void TSKDSetupForm::ServerSetupRXSBClick() {
  const int n = SelectServer(deps_.Dialogs);
  if (n == 0) return;
  RunDiscInstaller(inif::GetSrvLocation(n), consts::SHardwareServerName);
}

void TSKDSetupForm::mnuAdd_Click(const TMenuItem& Sender) {
  if (!Sender.Caption) return;  // the separator
  RunDiscInstaller(inif::GetAddLocation(Sender.Tag), Sender.Caption);
}

void TSKDSetupForm::DocSetupRXSBClick() { RunSetupRec(common::DocSetup); }

void TSKDSetupForm::Perform(void (TSKDSetupForm::*command)()) {
  try {
    (this->*command)();
  } catch (const std::exception& e) {
    Application.ShowException(deps_.Dialogs, e);
  }
}

namespace {

// The hourglass for as long as it lives; the default cursor in every outcome.
class THourGlass {
 public:
  explicit THourGlass(IFormView& view) : view_(view) { view_.SetCursor(TCursor::crHourGlass); }
  ~THourGlass() { view_.SetCursor(TCursor::crDefault); }
  THourGlass(const THourGlass&) = delete;
  THourGlass& operator=(const THourGlass&) = delete;

 private:
  IFormView& view_;
};

// A copy phase: the progress window goes and the cursor comes back however
// the phase ends.
class TCopyPhase : public THourGlass {
 public:
  using THourGlass::THourGlass;
  ~TCopyPhase() { HideInfo(); }
};

}  // namespace

bool TSKDSetupForm::ProbeServer() {
  THourGlass hourglass(deps_.View);
  // The cursor shows before the attach blocks.
  deps_.Pump.ProcessMessages();
  return deps_.Attach(deps_.Probe);
}

void TSKDSetupForm::IBSetupRXSBClick() {
  dbserver::DetectServer(deps_.Registry);
  if (dbserver::ServerInstalled()) {
    const std::string version =
        dbserver::ServerVersion.empty()
            ? std::string(consts::SUnknownVersion)
            : consts::SVersionOpen + dbserver::ServerVersion + consts::SVersionClose;
    const std::string question =
        consts::SServerInstalled + version + consts::SServerInstalledTail;
    if (MessageDlg(deps_.Dialogs, question, mtConfirmation, mbYesNo) != mrYes) return;
  }
  if (!ShowFBInstallHelp(deps_.Dialogs)) return;
  RunSetupRec(common::IBSetup);
}

bool TSKDSetupForm::Ask(const std::string& text) {
  return MessageDlg(deps_.Dialogs, text, mtWarning, mbYesNo) == mrYes;
}

void TSKDSetupForm::DBSetupRXSBClick() {
  MessageDlg(deps_.Dialogs, consts::SDbPathWarning, mtWarning, mbOKOnly);

  dbserver::DetectServer(deps_.Registry);
  const bool installed = dbserver::ServerInstalled();
  if (installed) {
    const std::int32_t major = dbserver::ServerMajorVersion;
    const std::string version =
        major < 0 ? std::string(consts::SUnknownMajorVersion) : std::to_string(major);
    if (major < 6 && !ShowVerDialog(deps_.Dialogs, version)) return;
    if (!ProbeServer() && !Ask(consts::SDbNotRunning)) return;
  } else {
    if (!Ask(consts::SDbNoServer)) return;
  }

  const bool haveLibraries = common::LibraryList && common::LibraryList->Count() > 0;
  const bool haveServiceDb = !common::ServiceDbFile.empty();
  if (installed) {
    if (haveLibraries) {
      bool copy = true;
      if (!dbserver::UdfDirExists()) {
        dbserver::CreateUdfDir();
        if (!dbserver::UdfDirExists()) {
          if (!Ask(consts::SLibraryErrorHead + common::LibrarySourceDir +
                   consts::SLibraryErrorTail))
            return;
          copy = false;
        }
      }
      if (copy && !CopyLibraries()) return;
    }
    if (haveServiceDb && !CopyServiceDb()) return;
  } else {
    if (haveLibraries &&
        !Ask(consts::SLibraryReminderHead + common::LibrarySourceDir + consts::SLibraryReminderTail))
      return;
    if (haveServiceDb && !Ask(consts::SServiceDbReminderHead + common::ServiceDbDir +
                              consts::SServiceDbReminderTail))
      return;
  }

  RunSetupRec(common::DBSetup);
}

bool TSKDSetupForm::CopyLibraries() {
  int failures = 0;
  {
    TCopyPhase phase(deps_.View);
    const TFCStringList& list = *common::LibraryList;
    for (int i = 0; i < list.Count(); ++i) {
      const std::string& name = list.Strings(i);
      if (name.empty()) continue;
      ShowInfo(name);
      if (!dbserver::CopyOneFile(common::LibrarySourceDir + "\\" + name,
                                 dbserver::ServerUdfDir + name))
        ++failures;
    }
  }
  return failures == 0 ||
         Ask(consts::SLibraryErrorHead + common::LibrarySourceDir + consts::SLibraryErrorTail);
}

bool TSKDSetupForm::CopyServiceDb() {
  bool copied = false;
  {
    TCopyPhase phase(deps_.View);
    ShowInfo(consts::SServiceDbName);
    copied = dbserver::CopyOneFile(common::ServiceDbFile,
                                   dbserver::ServerRootDir + consts::SServiceDbName);
  }
  return copied ||
         Ask(consts::SServiceDbErrorHead + common::ServiceDbDir + consts::SServiceDbErrorTail);
}

}  // namespace ui
