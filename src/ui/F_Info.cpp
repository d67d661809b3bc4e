#include "ui/F_Info.h"

#include <algorithm>
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

TInfoEnvironment g_environment{nullptr, nullptr, AnimatedPause};

}  // namespace

std::unique_ptr<IInfoForm> InfoForm;

std::int64_t TFrameClock::NowMs() {
  using namespace std::chrono;
  return duration_cast<milliseconds>(steady_clock::now().time_since_epoch()).count();
}

void TFrameClock::SetFrames(int frames) {
  frames_ = frames;
  if (frames_ > 0) frame_ %= frames_;
}

void TFrameClock::Step(std::int64_t now, int frames) {
  if (frames_ > 0) frame_ = static_cast<int>((frame_ + frames) % frames_);
  stepped_ = now;
}

bool TFrameClock::CatchUp(std::int64_t now) {
  const std::int64_t due = (now - stepped_) / kFrameMs;
  if (due <= 0 || frames_ <= 0) return false;
  frame_ = static_cast<int>((frame_ + due) % frames_);
  stepped_ = now;
  return true;
}

void AnimatedPause(int milliseconds) {
  using namespace std::chrono;
  const auto end = steady_clock::now() + std::chrono::milliseconds(std::max(milliseconds, 0));
  for (auto now = steady_clock::now(); now < end; now = steady_clock::now()) {
    const steady_clock::duration frame = std::chrono::milliseconds(kFrameMs);
    std::this_thread::sleep_for(std::min<steady_clock::duration>(end - now, frame));
    if (InfoForm) InfoForm->CatchUpAnimation();
  }
}

const TFormLayout& InfoLayout() { return kLayout; }

void SetInfoEnvironment(TInfoEnvironment environment) {
  if (!environment.Sleep) environment.Sleep = AnimatedPause;
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
