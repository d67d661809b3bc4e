#include "ui/F_740.h"

#include "ui/_Dialogs.h"

namespace ui {

const char* const kAbout740Memo1 =
    "\r\n"
    "ОС \"Windows 7\" (или старше) сообщает, что у Вас нет прав на запуск приложения. Вообще \r\n"
    "говоря, в данной ситуации логичен был бы дополнительный запрос на выполнение операции. \r\n"
    "Однако, как показывает практика, будет выдан запрос или нет – зависит от параметров \r\n"
    "управления учетной записью пользователя (см. рис.). Запрос будет выдан всегда, если вы \r\n"
    "выберете \"Всегда уведомлять\" (бегунок настройки прав - в крайнем верхнем положении). \r\n"
    "Запрос не будет выдан, и приложение будет запущено, если вы выберете \"Никогда не \r\n"
    "уведомлять\" (крайнее нижнее положение бегунка настройки прав).\r\n"
    "В остальных случаях может быть выдан запрос, а может быть зафиксирована ошибка.";

const char* const kAbout740Memo2 =
    "\r\n"
    "Что делать? Возможны два пути решения проблемы:\r\n"
    "- запустить программу инсталляции от имени Администратора;\r\n"
    "- изменить параметры управления учетными записями пользователей - включить \"Всегда \r\n"
    "уведомлять\" (рекомендуется) или \"Никогда не уведомлять\" (не рекомендуется). После \r\n"
    "изменения настроек ОБЯЗАТЕЛЬНО перезагрузите компьютер, даже если операционная \r\n"
    "система вас об этом не попросит.\r\n"
    "";

namespace {

constexpr TControlRow kControls[] = {
    {.Id = Memo1, .Name = "Memo1", .Kind = ControlKind::Memo,
     .Left = 0, .Top = 0, .Width = 500, .Height = 129, .Text = kAbout740Memo1, .TabOrder = 0},
    {.Id = Image1_740, .Name = "Image1", .Kind = ControlKind::Picture,
     .Left = 0, .Top = 129, .Width = 500, .Height = 368, .Picture = "Uac.png"},
    {.Id = Memo2, .Name = "Memo2", .Kind = ControlKind::Memo,
     .Left = 0, .Top = 497, .Width = 500, .Height = 101, .Text = kAbout740Memo2, .TabOrder = 2},
    {.Id = Panel1, .Name = "Panel1", .Kind = ControlKind::Panel,
     .Left = 0, .Top = 598, .Width = 500, .Height = 44, .TabOrder = 1},
    {.Id = Panel2, .Name = "Panel2", .Kind = ControlKind::Panel,
     .Left = 0, .Top = 3, .Width = 500, .Height = 41, .TabOrder = 0, .Parent = Panel1},
    {.Id = CancelBitBtn, .Name = "CancelBitBtn", .Kind = ControlKind::PushButton,
     .Left = 395, .Top = 8, .Width = 94, .Height = 27, .Text = "&Закрыть", .Picture = "Close21.bmp",
     .TabOrder = 0, .Parent = Panel2, .ModalResult = dialogs::mrCancel, .Cancel = true},
};

constexpr TFormLayout kLayout{.Name = "About740Form",
                              .ClientWidth = 500,
                              .ClientHeight = 642,
                              .Controls = kControls,
                              .Caption = "Нет прав на запуск приложения"};

}  // namespace

const TFormLayout& About740Layout() { return kLayout; }

}  // namespace ui

bool dialogs::IDialogs::RunAbout740Form() {
  TModalFormRequest request;
  request.Layout = &ui::About740Layout();
  return RunModalForm(request).Created;
}
