#include "ui/Main.h"

#include "config/Common.h"
#include "config/IniF.h"
#include "help/Help.h"
#include "ui/Application.h"
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

}  // namespace ui
