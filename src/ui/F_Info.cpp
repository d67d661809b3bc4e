#include "ui/F_Info.h"

#include <chrono>
#include <thread>

namespace ui {

using namespace info;

namespace {

constexpr TControlRow kControls[] = {
    {FileNameLabel, "FileNameLabel", ControlKind::Label, 8, 8, 70, 13, "FileNameLabel", nullptr,
     false, "", "", true, -1},
    {Animate1, "Animate1", ControlKind::Animation, 8, 32, 272, 60, "", nullptr, false, "",
     "CopyFiles.png", true, -1},
};

constexpr TFormLayout kLayout{
    "InfoForm",
    288,
    99,
    true,
    false,  // no border icons
    false,
    false,
    0,
    TColor::Sys(SysColor::BtnFace),
    {"MS Sans Serif", 11, false, 1, TColor::Sys(SysColor::WindowText)},
    0,
    true,
    kControls,
    "Установка библиотек ...",
    true,
    TCursor::crHourGlass,
};

TInfoEnvironment g_environment{
    nullptr,
    nullptr,
    [](int ms) { std::this_thread::sleep_for(std::chrono::milliseconds(ms)); },
};

}  // namespace

std::unique_ptr<IInfoForm> InfoForm;

const TFormLayout& InfoLayout() { return kLayout; }

void SetInfoEnvironment(TInfoEnvironment environment) {
  if (!environment.Sleep)
    environment.Sleep = [](int ms) { std::this_thread::sleep_for(std::chrono::milliseconds(ms)); };
  g_environment = std::move(environment);
}

void ShowInfo(const std::string& FileName) {
  bool created = false;
  if (!InfoForm) {
    try {
      if (g_environment.Create) InfoForm = g_environment.Create();
    } catch (const std::exception&) {
      InfoForm.reset();
    }
    if (!InfoForm) return;  // no window, no pause; the next call tries again
    created = true;
  }
  InfoForm->SetFileName(FileName);
  if (created) {
    InfoForm->SetAnimationActive(true);
    InfoForm->Show();
  } else {
    InfoForm->RepaintFileName();
  }
  if (g_environment.ProcessMessages) g_environment.ProcessMessages();
  g_environment.Sleep(kInfoPauseMs);
}

void HideInfo() {
  if (!InfoForm) return;
  InfoForm->SetAnimationActive(false);
  InfoForm.reset();
}

}  // namespace ui
