#include "ui/F_SelSrv.h"

#include "ui/_Consts.h"

namespace ui {

using namespace selsrv;

namespace {

constexpr TFontSpec kNavy{.Color = clNavy};

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
    {.Id = RadioButton1, .Name = "RadioButton1", .Kind = ControlKind::RadioButton,
     .Left = 16, .Top = 24, .Width = 225, .Height = 17, .Text = kServer, .Font = &kNavy,
     .TabOrder = 0, .Checked = true},
    {.Id = Label1, .Name = "Label1", .Kind = ControlKind::Label,
     .Left = 40, .Top = 48, .Width = 357, .Height = 26, .Text = kLabel1},
    {.Id = RadioButton2, .Name = "RadioButton2", .Kind = ControlKind::RadioButton,
     .Left = 16, .Top = 96, .Width = 345, .Height = 17, .Text = kServerEthernet, .Font = &kNavy,
     .TabOrder = 1},
    {.Id = Label2, .Name = "Label2", .Kind = ControlKind::Label,
     .Left = 40, .Top = 120, .Width = 354, .Height = 91, .Text = kLabel2},
    {.Id = RadioButton3, .Name = "RadioButton3", .Kind = ControlKind::RadioButton,
     .Left = 16, .Top = 224, .Width = 345, .Height = 17, .Text = kServerEthernet, .Font = &kNavy,
     .TabOrder = 4},
    {.Id = Label4, .Name = "Label4", .Kind = ControlKind::Label,
     .Left = 36, .Top = 240, .Width = 217, .Height = 13,
     .Text = "и программно управляемых точек доступа", .Font = &kNavy},
    {.Id = Label5, .Name = "Label5", .Kind = ControlKind::Label,
     .Left = 40, .Top = 256, .Width = 335, .Height = 52, .Text = kLabel5},
    {.Id = RadioButton4, .Name = "RadioButton4", .Kind = ControlKind::RadioButton,
     .Left = 16, .Top = 328, .Width = 385, .Height = 17,
     .Text = "Сервер аппаратуры СКУД \"Ловерин\" на 1 контроллер", .Font = &kNavy, .TabOrder = 5},
    {.Id = Label6, .Name = "Label6", .Kind = ControlKind::Label,
     .Left = 37, .Top = 352, .Width = 343, .Height = 52, .Text = kLabel6},
    {.Id = CancelBtn, .Name = "CancelBtn", .Kind = ControlKind::PushButton,
     .Left = 224, .Top = 472, .Width = 85, .Height = 25, .Text = "Отменить", .TabOrder = 2,
     .ModalResult = dialogs::mrCancel},
    {.Id = ContinueBtn, .Name = "ContinueBtn", .Kind = ControlKind::PushButton,
     .Left = 312, .Top = 472, .Width = 85, .Height = 25, .Text = "Продолжить >", .TabOrder = 3,
     .ModalResult = dialogs::mrOk},
};

constexpr TFormLayout kLayout{.Name = "SelectServerForm",
                              .ClientWidth = 402,
                              .ClientHeight = 506,
                              .Controls = kControls,
                              .Caption = "Выбор сервера для инсталляции"};

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
