#pragma once
// Every window's layout, for the checks that walk them all (each row's place
// and the tab chain come from ui/FormRules.h). Shared by the Qt and the Win32
// front-end tests.

#include <vector>

#include "ui/Accessible.h"
#include "ui/F_740.h"
#include "ui/F_FBInstallHelp.h"
#include "ui/F_Info.h"
#include "ui/F_SelSrv.h"
#include "ui/F_Ver.h"
#include "ui/FormRules.h"
#include "ui/Main.h"

namespace all_layouts {

inline std::vector<const ui::TFormLayout*> AllLayouts() {
  using namespace ui;
  return {&MainLayout(), &About740Layout(),      &SelectServerLayout(),
          &VerLayout(),  &FBInstallHelpLayout(), &InfoLayout()};
}

// A label takes the size of its text and a picture its own; the table fixes
// the size of the others.
inline bool SizedByTable(ui::ControlKind kind) {
  return kind != ui::ControlKind::Label && kind != ui::ControlKind::Picture;
}

// What a screen reader hears of each window as the layout makes it: each
// front end's accessibility API must give these roles and names.
struct TAccessibleExpectation {
  const ui::TFormLayout& (*Layout)();
  int Control;  // -1: the window itself
  ui::TAccRole Role;
  const char* Name;
};
inline constexpr TAccessibleExpectation kAccessibleTable[] = {
    {ui::MainLayout, -1, ui::TAccRole::Frame, ""},
    {ui::MainLayout, ui::SoftSetupRXSB, ui::TAccRole::PushButton,
     "Установка программного обеспечения"},
    {ui::MainLayout, ui::DocRxSB, ui::TAccRole::PushButton, "Инструкции"},
    {ui::MainLayout, ui::ViewRxSB, ui::TAccRole::PushButton, "Обзор содержимого диска"},
    {ui::MainLayout, ui::Label2, ui::TAccRole::Label, "Инструкции"},
    {ui::MainLayout, ui::StatusLabel, ui::TAccRole::StatusLine, "VESTAR 4. Версия 2."},
    {ui::MainLayout, ui::Image2, ui::TAccRole::Picture, "Эмблема СКУД"},
    {ui::SelectServerLayout, -1, ui::TAccRole::Dialog, "Выбор сервера для инсталляции"},
    {ui::SelectServerLayout, ui::selsrv::RadioButton2, ui::TAccRole::RadioButton,
     "Сервер аппаратуры СКУД \"Ловерин\" с поддержкой Ethernet"},
    {ui::SelectServerLayout, ui::selsrv::RadioButton3, ui::TAccRole::RadioButton,
     "Сервер аппаратуры СКУД \"Ловерин\" с поддержкой Ethernet и программно управляемых "
     "точек доступа"},
    {ui::SelectServerLayout, ui::selsrv::ContinueBtn, ui::TAccRole::PushButton, "Продолжить >"},
    {ui::VerLayout, ui::ver::Label3, ui::TAccRole::Label, "Продолжить инсталляцию?"},
    {ui::VerLayout, ui::ver::VerLabel, ui::TAccRole::Label, "???"},
    {ui::FBInstallHelpLayout, ui::fbhelp::Image1, ui::TAccRole::Picture, "Firebird"},
    {ui::About740Layout, ui::Image1_740, ui::TAccRole::Picture, "Окно контроля учетных записей"},
    {ui::About740Layout, ui::CancelBitBtn, ui::TAccRole::PushButton, "Закрыть"},
    {ui::InfoLayout, ui::info::Animate1, ui::TAccRole::Animation, "Копирование файлов"},
};

}  // namespace all_layouts
