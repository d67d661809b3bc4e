#include "ui/F_Ver.h"

#include "help/Help.h"
#include "ui/_Consts.h"

namespace ui {

using namespace ver;

namespace {

constexpr TControlRow kControls[] = {
    {Image1, "Image1", ControlKind::Picture, 8, 16, 32, 32, "", nullptr, false, "", "Server.bmp",
     true, -1},
    {Label1, "Label1", ControlKind::Label, 72, 40, 254, 39,
     "База данных системы  системы предназначена \r\n"
     "для работы с SQL-сервером InterBase версии 6.0 \r\n"
     "или выше, с SQL-сервером FireBird любых версий.",
     nullptr, false, "", "", true, -1},
    {Label2, "Label2", ControlKind::Label, 72, 104, 266, 13,
     "На данном компьютере установлен InerBase версии", nullptr, false, "", "", true, -1},
    {VerLabel, "VerLabel", ControlKind::Label, 72, 128, 18, 13, "???", nullptr, false, "", "",
     true, -1},
    {Label3, "Label3", ControlKind::Label, 72, 160, 139, 13, "Продолжить инсталляцию?", nullptr,
     false, "", "", true, -1},
    {OkButton, "OkButton", ControlKind::PushButton, 64, 192, 75, 25, "Да", nullptr, false, "", "",
     true, 0, -1, dialogs::mrOk},
    {CancelButton, "CancelButton", ControlKind::PushButton, 152, 192, 75, 25, "Нет", nullptr,
     false, "", "", true, 1, -1, dialogs::mrCancel, true},
    {HelpButton, "HelpButton", ControlKind::PushButton, 240, 192, 75, 25, "Помощь", nullptr, false,
     "", "", true, 2},
};

constexpr TFormLayout kLayout =
    DialogLayout("VerForm", 369, 229, help::kVerHelpContext, kControls, "О версии InterBase");

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
