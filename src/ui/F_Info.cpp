#include "ui/F_Info.h"

#include <chrono>
#include <thread>

namespace ui {

using namespace info;

namespace {

constexpr TControlRow kControls[] = {
    {.Id = FileNameLabel, .Name = "FileNameLabel", .Kind = ControlKind::Label,
     .Left = 8, .Top = 8, .Width = 70, .Height = 13, .Text = "FileNameLabel"},
    {.Id = Animate1, .Name = "Animate1", .Kind = ControlKind::Animation,
     .Left = 8, .Top = 32, .Width = 272, .Height = 60, .Picture = "CopyFiles.png"},
};

// No border icons, on top, the hourglass over it.
constexpr TFormLayout kLayout{.Name = "InfoForm",
                              .ClientWidth = 288,
                              .ClientHeight = 99,
                              .SystemMenu = false,
                              .Controls = kControls,
                              .Caption = "Установка библиотек ...",
                              .StayOnTop = true,
                              .Cursor = TCursor::crHourGlass};

void PlainSleep(int ms) { std::this_thread::sleep_for(std::chrono::milliseconds(ms)); }

TInfoEnvironment g_environment{nullptr, nullptr, PlainSleep};

}  // namespace

std::unique_ptr<IInfoForm> InfoForm;

const TFormLayout& InfoLayout() { return kLayout; }

void SetInfoEnvironment(TInfoEnvironment environment) {
  if (!environment.Sleep) environment.Sleep = PlainSleep;
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
