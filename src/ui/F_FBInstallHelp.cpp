#include "ui/F_FBInstallHelp.h"

#include "help/Help.h"
#include "ui/_Consts.h"

namespace ui {

using namespace fbhelp;

namespace {

constexpr TControlRow kControls[] = {
    {Image1, "Image1", ControlKind::Picture, 8, 16, 32, 32, "", nullptr, true, "", "Firebird.bmp",
     true, -1},
    {Label1, "Label1", ControlKind::Label, 80, 16, 249, 105,
     "Перед установкой сервера FireBird Вы можете\r\n"
     "ознакомиться  с  информацией  по  установке\r\n"
     "сервера, нажав кнопку \"Помощь\".\r\n"
     "\r\n"
     "Для продолжения установки  нажмите кнопку\r\n"
     "\"Продолжить >\". Для прекращения установки\r\n"
     "нажмите кнопку \"Отменить\".",
     nullptr, false, "", "", true, -1},
    {HelpBtn, "HelpBtn", ControlKind::PushButton, 8, 136, 85, 25, "Помощь", nullptr, false, "", "",
     true, 0},
    {CancelBtn, "CancelBtn", ControlKind::PushButton, 144, 136, 85, 25, "Отменить", nullptr, false,
     "", "", true, 2, -1, dialogs::mrCancel},
    {ContinueBtn, "ContinueBtn", ControlKind::PushButton, 240, 136, 85, 25, "Продолжить >",
     nullptr, false, "", "", true, 1, -1, dialogs::mrOk},
};

constexpr TFormLayout kLayout = DialogLayout("FBInstallHelpForm", 336, 171,
                                               help::kFBInstallHelpContext, kControls,
                                               "Полезная информация");

}  // namespace

const TFormLayout& FBInstallHelpLayout() { return kLayout; }

bool ShowFBInstallHelp(dialogs::IDialogs& dialogs) {
  dialogs::TModalFormRequest request;
  request.Layout = &kLayout;
  // HelpBtnClick: the help stays beside the open notice.
  request.OnClick = [](int control) {
    if (control == HelpBtn) help::ShowHelpTopic(kLayout.HelpContext);
  };
  const dialogs::TModalFormResult shown = dialogs.RunModalForm(request);
  if (!shown.Created) {
    dialogs::MessageDlg(dialogs, consts::SCantShowDialog, dialogs::mtError, dialogs::mbOKOnly);
    return false;
  }
  return shown.ModalResult == dialogs::mrOk;
}

}  // namespace ui
