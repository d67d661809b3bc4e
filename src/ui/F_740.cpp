#include "ui/F_740.h"

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
    {Memo1, "Memo1", ControlKind::Memo, 0, 0, 500, 129, kAbout740Memo1, nullptr, false, "", "",
     true, 0},
    {Image1_740, "Image1", ControlKind::Picture, 0, 129, 500, 368, "", nullptr, false, "",
     "Uac.png", true, -1},
    {Memo2, "Memo2", ControlKind::Memo, 0, 497, 500, 101, kAbout740Memo2, nullptr, false, "", "",
     true, 2},
    {Panel1, "Panel1", ControlKind::Panel, 0, 598, 500, 44, "", nullptr, false, "", "", true, 1},
    {Panel2, "Panel2", ControlKind::Panel, 0, 3, 500, 41, "", nullptr, false, "", "", true, 0,
     Panel1},
    {CancelBitBtn, "CancelBitBtn", ControlKind::PushButton, 395, 8, 94, 27, "&Закрыть", nullptr,
     false, "", "Close21.bmp", true, 0, Panel2, 2, true},
};

constexpr TFormLayout kLayout =
    DialogLayout("About740Form", 500, 642, 0, kControls, "Нет прав на запуск приложения");

}  // namespace

const TFormLayout& About740Layout() { return kLayout; }

}  // namespace ui
