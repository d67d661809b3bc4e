#include "ui/Main.h"

namespace ui {

namespace {

constexpr TFontSpec kLabelFont{"Tahoma", 12, true, kCyrillicCharset, clNavy};
constexpr TFontSpec kStatusFont{"Tahoma", 15, true, kCyrillicCharset, clNavy};
constexpr TFontSpec kDateFont{"Arial", 12, true, kCyrillicCharset, clNavy};

constexpr TControlRow kMainControls[] = {
    {SoftLabel, "SoftLabel", ControlKind::Label, 121, 150, 246, 14,
     "Установка программного обеспечения", &kLabelFont, true, "", "", true, -1},
    {SoftSetupRXSB, "SoftSetupRXSB", ControlKind::FlatImageButton, 72, 130, 35, 35, "", nullptr,
     false, "Выполнить установку", "SoftSetup.bmp", true, -1},
    {ViewRxSB, "ViewRxSB", ControlKind::FlatImageButton, 168, 222, 35, 35, "", nullptr, false,
     "Обзор содержимого диска", "View.bmp", true, -1},
    {Label1, "Label1", ControlKind::Label, 217, 244, 170, 14, "Обзор содержимого диска",
     &kLabelFont, true, "", "", true, -1},
    {StatusLabel, "StatusLabel", ControlKind::Label, 22, 65, 177, 18, "VESTAR 4. Версия 2. ",
     &kStatusFont, true, "", "", true, -1},
    {DocRxSB, "DocRxSB", ControlKind::FlatImageButton, 168, 181, 35, 35, "", nullptr, false,
     "Руководство оператора", "Doc.bmp", true, -1},
    {Label2, "Label2", ControlKind::Label, 217, 201, 74, 14, "Инструкции", &kLabelFont, true, "",
     "", true, -1},
    {Image1, "Image1", ControlKind::Picture, 328, 8, 125, 38, "", nullptr, true, "", "Image1.png",
     true, -1},
    {Image2, "Image2", ControlKind::Picture, 303, 8, 150, 57, "", nullptr, true, "", "Image2.bmp",
     true, -1},
    {DateLabel, "DateLabel", ControlKind::Label, 22, 88, 77, 15, "2021, апрель", &kDateFont, false,
     "", "", true, -1},
};

constexpr TFormLayout kMainLayout{
    "DIZSetupForm",
    482,
    281,
    true,
    true,
    false,
    false,
    2,
    TColor::Sys(SysColor::BtnHighlight),
    {"MS Sans Serif", 11, false, 1, TColor::Sys(SysColor::WindowText)},
    10,
    true,
    kMainControls,
};

constexpr TMenuItem kAddPrgPopupMenu[] = {
    {"mnuAdd_APB", 1, "Установить сервер поддержки глобального AntiPassBack"},
    {"mnuAdd_Nightwatch", 2, "Установить \"Ночной Диспетчер\""},
    {"mnuAdd_WorkTime", 3, "Установить \"Учет рабочего времени\""},
    {"mnuAdd_RMessenger", 4, "Установить систему оповещения о событиях"},
    {"mnuAdd_RecognitionSystem", 5, "Установить систему распознавания документов"},
    {"mnuAdd_SmsSystem", 6, "Установить систему СМС оповещения"},
    {"N1", 0, nullptr},
    {"mnuAdd_DBMover", 7, "Установить средство переноса данных"},
};

}  // namespace

const TFormLayout& MainLayout() { return kMainLayout; }

std::span<const TMenuItem> AddPrgPopupMenu() { return kAddPrgPopupMenu; }

}  // namespace ui
