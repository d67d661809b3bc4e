#include "ui/F_Ver.h"

#include "help/Help.h"
#include "ui/_Consts.h"

namespace ui {

using namespace ver;

namespace {

constexpr TControlRow kControls[] = {
    {.Id = Image1, .Name = "Image1", .Kind = ControlKind::Picture,
     .Left = 8, .Top = 16, .Width = 32, .Height = 32, .Picture = "Server.bmp"},
    {.Id = Label1, .Name = "Label1", .Kind = ControlKind::Label,
     .Left = 72, .Top = 40, .Width = 254, .Height = 39,
     .Text = "База данных системы  системы предназначена \r\n"
             "для работы с SQL-сервером InterBase версии 6.0 \r\n"
             "или выше, с SQL-сервером FireBird любых версий."},
    {.Id = Label2, .Name = "Label2", .Kind = ControlKind::Label,
     .Left = 72, .Top = 104, .Width = 266, .Height = 13,
     .Text = "На данном компьютере установлен InerBase версии"},
    {.Id = VerLabel, .Name = "VerLabel", .Kind = ControlKind::Label,
     .Left = 72, .Top = 128, .Width = 18, .Height = 13, .Text = "???"},
    {.Id = Label3, .Name = "Label3", .Kind = ControlKind::Label,
     .Left = 72, .Top = 160, .Width = 139, .Height = 13, .Text = "Продолжить инсталляцию?"},
    {.Id = OkButton, .Name = "OkButton", .Kind = ControlKind::PushButton,
     .Left = 64, .Top = 192, .Width = 75, .Height = 25, .Text = "Да", .TabOrder = 0,
     .ModalResult = dialogs::mrOk},
    {.Id = CancelButton, .Name = "CancelButton", .Kind = ControlKind::PushButton,
     .Left = 152, .Top = 192, .Width = 75, .Height = 25, .Text = "Нет", .TabOrder = 1,
     .ModalResult = dialogs::mrCancel, .Cancel = true},
    {.Id = HelpButton, .Name = "HelpButton", .Kind = ControlKind::PushButton,
     .Left = 240, .Top = 192, .Width = 75, .Height = 25, .Text = "Помощь", .TabOrder = 2},
};

constexpr TFormLayout kLayout{.Name = "VerForm",
                              .ClientWidth = 369,
                              .ClientHeight = 229,
                              .HelpContext = help::kVerHelpContext,
                              .Controls = kControls,
                              .Caption = "О версии InterBase"};

}  // namespace

const TFormLayout& VerLayout() { return kLayout; }

bool ShowVerDialog(dialogs::IDialogs& dialogs, const std::string& IBVer) {
  dialogs::TModalFormRequest request;
  request.Layout = &kLayout;
  request.Texts = {{VerLabel, IBVer}};  // SetData
  request.OnClick = [](int control) {
    if (control == HelpButton) help::ShowHelpTopic(kLayout.HelpContext);
  };
  request.OnHelp = [](std::int32_t context) {  // FormHelp
    bool callHelp = true;
    help::FormHelp(context, callHelp);
  };
  const dialogs::TModalFormResult shown = dialogs.RunModalForm(request);
  if (!shown.Created) {
    dialogs.ShowToolkitError(consts::SToolkitErrorTitle, consts::SCantShowDialog,
                             consts::SToolkitOkButton);
    return false;
  }
  return shown.ModalResult == dialogs::mrOk;
}

}  // namespace ui
