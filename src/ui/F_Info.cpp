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

// No border icons, on top, the hourglass over it.
constexpr TFormLayout kLayout = [] {
  TFormLayout l = DialogLayout("InfoForm", 288, 99, 0, kControls, "Установка библиотек ...");
  l.SystemMenu = false;
  l.StayOnTop = true;
  l.Cursor = TCursor::crHourGlass;
  return l;
}();

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
