#pragma once
// Unit Main: TSKDSetupForm, the menu window's logic.

#include <cstdint>
#include <string>

#include "config/Common.h"
#include "platform/Process.h"

#include "ui/Forms.h"
#include "ui/Layout.h"

namespace ui {

// The controls of the main window, in painting order.
enum MainControl : int {
  SoftLabel,
  SoftSetupRXSB,
  ViewRxSB,
  Label1,
  StatusLabel,
  DocRxSB,
  Label2,
  Image1,
  Image2,
  DateLabel,
};

// The window's own components without a place on screen.
inline constexpr int kTimer1Interval = 1000;

struct TMenuItem {
  const char* Name;
  int Tag = 0;
  const char* Caption = nullptr;  // null: a separator
};
std::span<const TMenuItem> AddPrgPopupMenu();

const TFormLayout& MainLayout();

// The child started last; the monitor polls it.
extern platform::TProcessInformation SetupProcess;

// The reason of a failed launch, completing "Невозможно выполнить ...".
std::string LaunchErrorReason(std::int32_t code);

inline constexpr std::int32_t ERROR_ELEVATION_REQUIRED_CODE = 740;

class TSKDSetupForm {
 public:
  explicit TSKDSetupForm(const TFormDeps& deps);

  void FormCreate();
  void FormCloseQuery(bool& CanClose);
  void FormClose();
  void FormDestroy();
  bool FormHelp(std::uint16_t Command, std::intptr_t Data, bool& CallHelp);
  void CloseBitBtnClick();
  void HelpBitBtnClick();
  void AddSetupRXSBClick();

  // Installers: launch, monitoring and the failure report.
  bool RunSetup(const std::string& path);
  void EnableSetup(bool enabled);
  void Timer1Timer();
  void SoftSetupRXSBClick();
  bool ReportLaunchError(const std::string& name, bool ask);
  void ShowAbout740();

  // The shell: the disc and the manuals. An opener that fails after
  // ShellOpen has returned is reported by the next tick of Timer1.
  std::intptr_t ShellOpen(const std::string& path);
  void ViewRxSBClick();
  void DocRxSBClick();

  // Further installers: hardware server variants, add-ons, documentation.
  void ServerSetupRXSBClick();
  void mnuAdd_Click(const TMenuItem& Sender);
  void DocSetupRXSBClick();

  // The database server and the database.
  bool ProbeServer();
  void IBSetupRXSBClick();
  void DBSetupRXSBClick();

  // Runs a command as the window's event dispatch does: a failure that
  // escapes it ends the command and shows the application's error box.
  void Perform(void (TSKDSetupForm::*command)());

  // What a front end calls on its toolkit's events, so that no front end
  // knows a handler by name.
  // A click on a control: its command from MainCommands(), if it has one.
  void Click(int control);
  // The window is about to close (close box, Alt+F4, RequestClose): the
  // question, unless termination is pending, then FormClose; false keeps
  // the window open.
  bool CloseQuery();
  // F1 in the window: the help topic of the window's help context.
  void HelpKey();

  std::int32_t LastError = 0;

 private:
  // An installer the setup.ini names relative to the program directory.
  void RunDiscInstaller(const std::string& location, const std::string& name);
  // A descriptor's installer, reported under its name when it cannot start.
  void RunSetupRec(const TSetupRec& rec);
  bool Ask(const std::string& text);
  // False: the operator chose to end the command after a failed copy.
  bool CopyLibraries();
  bool CopyServiceDb();
  // The openers the shell commands started that have ended in failure.
  void ReportEndedOpeners();

  TFormDeps deps_;
  bool monitoring_ = false;  // an installer is watched
};

// Which control runs which command, beside the main layout.
struct TMainCommand {
  int Control;
  void (TSKDSetupForm::*Handler)();
};
std::span<const TMainCommand> MainCommands();

}  // namespace ui
