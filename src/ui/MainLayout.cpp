#include "ui/Main.h"

#include "config/Common.h"
#include "help/Help.h"

namespace ui {

namespace {

constexpr TFontSpec kLabelFont{.Family = "Tahoma", .PixelHeight = 12, .Bold = true,
                               .Charset = kCyrillicCharset, .Color = clNavy};
constexpr TFontSpec kStatusFont{.Family = "Tahoma", .PixelHeight = 15, .Bold = true,
                                .Charset = kCyrillicCharset, .Color = clNavy};
constexpr TFontSpec kDateFont{.Family = "Arial", .PixelHeight = 12, .Bold = true,
                              .Charset = kCyrillicCharset, .Color = clNavy};

constexpr TControlRow kMainControls[] = {
    {.Id = SoftLabel, .Name = "SoftLabel", .Kind = ControlKind::Label,
     .Left = 121, .Top = 150, .Width = 246, .Height = 14,
     .Text = "Установка программного обеспечения", .Font = &kLabelFont, .Transparent = true},
    {.Id = SoftSetupRXSB, .Name = "SoftSetupRXSB", .Kind = ControlKind::FlatImageButton,
     .Left = 72, .Top = 130, .Width = 35, .Height = 35,
     .Hint = common::kDefaultSetupHint, .Picture = "SoftSetup.bmp"},
    {.Id = ViewRxSB, .Name = "ViewRxSB", .Kind = ControlKind::FlatImageButton,
     .Left = 168, .Top = 222, .Width = 35, .Height = 35,
     .Hint = "Обзор содержимого диска", .Picture = "View.bmp"},
    {.Id = Label1, .Name = "Label1", .Kind = ControlKind::Label,
     .Left = 217, .Top = 244, .Width = 170, .Height = 14,
     .Text = "Обзор содержимого диска", .Font = &kLabelFont, .Transparent = true},
    {.Id = StatusLabel, .Name = "StatusLabel", .Kind = ControlKind::Label,
     .Left = 22, .Top = 65, .Width = 177, .Height = 18,
     .Text = "VESTAR 4. Версия 2. ", .Font = &kStatusFont, .Transparent = true},
    {.Id = DocRxSB, .Name = "DocRxSB", .Kind = ControlKind::FlatImageButton,
     .Left = 168, .Top = 181, .Width = 35, .Height = 35,
     .Hint = "Руководство оператора", .Picture = "Doc.bmp"},
    {.Id = Label2, .Name = "Label2", .Kind = ControlKind::Label,
     .Left = 217, .Top = 201, .Width = 74, .Height = 14,
     .Text = "Инструкции", .Font = &kLabelFont, .Transparent = true},
    {.Id = Image1, .Name = "Image1", .Kind = ControlKind::Picture,
     .Left = 328, .Top = 8, .Width = 125, .Height = 38,
     .Transparent = true, .Picture = "Image1.png"},
    {.Id = Image2, .Name = "Image2", .Kind = ControlKind::Picture,
     .Left = 303, .Top = 8, .Width = 150, .Height = 57,
     .Transparent = true, .Picture = "Image2.bmp"},
    {.Id = DateLabel, .Name = "DateLabel", .Kind = ControlKind::Label,
     .Left = 22, .Top = 88, .Width = 77, .Height = 15, .Text = "2021, апрель", .Font = &kDateFont},
};

// Unlike the dialogs: a light face, a thin inner border and its own help topic.
constexpr TFormLayout kMainLayout{
    .Name = "DIZSetupForm",
    .ClientWidth = 482,
    .ClientHeight = 281,
    .InnerBorder = 2,
    .Background = TColor::Sys(SysColor::BtnHighlight),
    .HelpContext = help::kMainHelpContext,
    .Controls = kMainControls,
};

// The buttons of the shipped layout; the other commands have none.
constexpr TMainCommand kMainCommands[] = {
    {SoftSetupRXSB, &TSKDSetupForm::SoftSetupRXSBClick},
    {ViewRxSB, &TSKDSetupForm::ViewRxSBClick},
    {DocRxSB, &TSKDSetupForm::DocRxSBClick},
};

constexpr TMenuItem kAddPrgPopupMenu[] = {
    {.Name = "mnuAdd_APB", .Tag = 1,
     .Caption = "Установить сервер поддержки глобального AntiPassBack"},
    {.Name = "mnuAdd_Nightwatch", .Tag = 2, .Caption = "Установить \"Ночной Диспетчер\""},
    {.Name = "mnuAdd_WorkTime", .Tag = 3, .Caption = "Установить \"Учет рабочего времени\""},
    {.Name = "mnuAdd_RMessenger", .Tag = 4, .Caption = "Установить систему оповещения о событиях"},
    {.Name = "mnuAdd_RecognitionSystem", .Tag = 5,
     .Caption = "Установить систему распознавания документов"},
    {.Name = "mnuAdd_SmsSystem", .Tag = 6, .Caption = "Установить систему СМС оповещения"},
    {.Name = "N1"},
    {.Name = "mnuAdd_DBMover", .Tag = 7, .Caption = "Установить средство переноса данных"},
};

}  // namespace

const TFormLayout& MainLayout() { return kMainLayout; }

std::span<const TMainCommand> MainCommands() { return kMainCommands; }

std::span<const TMenuItem> AddPrgPopupMenu() { return kAddPrgPopupMenu; }

}  // namespace ui
