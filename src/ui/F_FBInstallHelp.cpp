#include "ui/F_FBInstallHelp.h"

#include "help/Help.h"
#include "ui/_Consts.h"

namespace ui {

using namespace fbhelp;

namespace {

constexpr TControlRow kControls[] = {
    {.Id = Image1, .Name = "Image1", .Kind = ControlKind::Picture,
     .Left = 8, .Top = 16, .Width = 32, .Height = 32,
     .Transparent = true, .Picture = "Firebird.bmp"},
    {.Id = Label1, .Name = "Label1", .Kind = ControlKind::Label,
     .Left = 80, .Top = 16, .Width = 249, .Height = 105,
     .Text = "Перед установкой сервера FireBird Вы можете\r\n"
             "ознакомиться  с  информацией  по  установке\r\n"
             "сервера, нажав кнопку \"Помощь\".\r\n"
             "\r\n"
             "Для продолжения установки  нажмите кнопку\r\n"
             "\"Продолжить >\". Для прекращения установки\r\n"
             "нажмите кнопку \"Отменить\"."},
    {.Id = HelpBtn, .Name = "HelpBtn", .Kind = ControlKind::PushButton,
     .Left = 8, .Top = 136, .Width = 85, .Height = 25, .Text = "Помощь", .TabOrder = 0},
    {.Id = CancelBtn, .Name = "CancelBtn", .Kind = ControlKind::PushButton,
     .Left = 144, .Top = 136, .Width = 85, .Height = 25, .Text = "Отменить", .TabOrder = 2,
     .ModalResult = dialogs::mrCancel},
    {.Id = ContinueBtn, .Name = "ContinueBtn", .Kind = ControlKind::PushButton,
     .Left = 240, .Top = 136, .Width = 85, .Height = 25, .Text = "Продолжить >", .TabOrder = 1,
     .ModalResult = dialogs::mrOk},
};

constexpr TFormLayout kLayout{.Name = "FBInstallHelpForm",
                              .ClientWidth = 336,
                              .ClientHeight = 171,
                              .HelpContext = help::kFBInstallHelpContext,
                              .Controls = kControls,
                              .Caption = "Полезная информация"};

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
