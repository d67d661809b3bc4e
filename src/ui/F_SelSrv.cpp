#include "ui/F_SelSrv.h"

#include "ui/_Consts.h"

namespace ui {

using namespace selsrv;

namespace {

constexpr TFontSpec kNavy{kDialogFont.Family, kDialogFont.PixelHeight, false, 1, clNavy};

// Variants 2 and 3 share a caption; Label4 under the third reads as its
// second line.
constexpr const char* kServer = "Сервер аппаратуры СКУД \"Ловерин\"";
constexpr const char* kServerEthernet = "Сервер аппаратуры СКУД \"Ловерин\" с поддержкой Ethernet";

constexpr const char* kLabel1 =
    "Позволяет подключать аппаратуры СКУД \"Ловерин\" к  компьютеру \r\n"
    "через  коммуникационные  (COM)  или USB порты.";
constexpr const char* kLabel2 =
    "Позволяет подключать аппаратуры СКУД \"Ловерин\" к компьютеру\r\n"
    "не  только  через  COM  и  USB  порты,   но и подключать аппаратуру \r\n"
    "непосредственно  к   ЛВС  объекта  (через конвертер ЛМ-44 \r\n"
    "(предпочтительно) или устройства сторонних производителей,  \r\n"
    "например, MOXA N-port). \r\n"
    "Поддерживается также контроллер \"Ловерин ЛК-05 исп. E\", \r\n"
    "подключаемый к ЛВС объекта. ";
constexpr const char* kLabel5 =
    "Обладает всеми возможностями сервера аппаратуры СКУД\r\n"
    "\"Ловерин\" с поддержкой Ethernet. Дополнительно обеспечивает\r\n"
    "управление точками доступа с установленным в Конфигураторе\r\n"
    "аппаратуры флагом \"Передать принятие решения в ПО\". ";
constexpr const char* kLabel6 =
    "Позволяет подключать к  компьютеру  через  коммуникационный  \r\n"
    "(COM)   или   USB  порт  1  контроллер  \"Ловерин  ЛК-05/ЛК-Р\"\r\n"
    "Более дешевый вариант, предназначенный для построения\r\n"
    "небольших СКУД.";

constexpr TControlRow kControls[] = {
    {RadioButton1, "RadioButton1", ControlKind::RadioButton, 16, 24, 225, 17, kServer, &kNavy,
     false, "", "", true, 0, -1, 0, false, true},
    {Label1, "Label1", ControlKind::Label, 40, 48, 357, 26, kLabel1, nullptr, false, "", "", true,
     -1},
    {RadioButton2, "RadioButton2", ControlKind::RadioButton, 16, 96, 345, 17, kServerEthernet,
     &kNavy, false, "", "", true, 1},
    {Label2, "Label2", ControlKind::Label, 40, 120, 354, 91, kLabel2, nullptr, false, "", "", true,
     -1},
    {RadioButton3, "RadioButton3", ControlKind::RadioButton, 16, 224, 345, 17, kServerEthernet,
     &kNavy, false, "", "", true, 4},
    {Label4, "Label4", ControlKind::Label, 36, 240, 217, 13,
     "и программно управляемых точек доступа", &kNavy, false, "", "", true, -1},
    {Label5, "Label5", ControlKind::Label, 40, 256, 335, 52, kLabel5, nullptr, false, "", "", true,
     -1},
    {RadioButton4, "RadioButton4", ControlKind::RadioButton, 16, 328, 385, 17,
     "Сервер аппаратуры СКУД \"Ловерин\" на 1 контроллер", &kNavy, false, "", "", true, 5},
    {Label6, "Label6", ControlKind::Label, 37, 352, 343, 52, kLabel6, nullptr, false, "", "", true,
     -1},
    {CancelBtn, "CancelBtn", ControlKind::PushButton, 224, 472, 85, 25, "Отменить", nullptr, false,
     "", "", true, 2, -1, dialogs::mrCancel},
    {ContinueBtn, "ContinueBtn", ControlKind::PushButton, 312, 472, 85, 25, "Продолжить >",
     nullptr, false, "", "", true, 3, -1, dialogs::mrOk},
};

constexpr TFormLayout kLayout =
    DialogLayout("SelectServerForm", 402, 506, 0, kControls, "Выбор сервера для инсталляции");

}  // namespace

const TFormLayout& SelectServerLayout() { return kLayout; }

int SelectServer(dialogs::IDialogs& dialogs) {
  int result = 0;
  dialogs::TModalFormRequest request;
  request.Layout = &kLayout;
  const dialogs::TModalFormResult shown = dialogs.RunModalForm(request);
  if (!shown.Created) {
    dialogs::MessageDlg(dialogs, consts::SCantShowDialog, dialogs::mtError, dialogs::mbOKOnly);
    return 0;
  }
  if (shown.ModalResult == dialogs::mrOk) {
    switch (shown.CheckedRadio) {
      case RadioButton1: result = 1; break;
      case RadioButton2: result = 2; break;
      case RadioButton3: result = 3; break;
      default: result = 4; break;
    }
  }
  return result;
}

}  // namespace ui
