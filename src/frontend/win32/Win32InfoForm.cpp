#include "frontend/win32/Win32InfoForm.h"

#include <algorithm>

#include "frontend/win32/Win32FrontEnd.h"

namespace ui::win32 {

Win32InfoForm::Win32InfoForm() : Win32Form(InfoLayout()) {}

Animation* Win32InfoForm::AnimationControl() const {
  return Animation::From(ControlHandle(info::Animate1));
}

void Win32InfoForm::SetFileName(const std::string& name) { SetText(info::FileNameLabel, name); }

void Win32InfoForm::RepaintFileName() {
  // SetText has invalidated the old and the new place of the label.
  UpdateWindow(Handle());
}

void Win32InfoForm::SetAnimationActive(bool active) {
  if (Animation* a = AnimationControl()) a->SetActive(active);
}

void Win32InfoForm::Show() {
  CentreOnScreen();
  // A window that only reports progress: the focus stays where it was.
  ShowWindow(Handle(), SW_SHOWNOACTIVATE);
  UpdateWindow(Handle());
}

void Win32InfoForm::Pause(int milliseconds) {
  Animation* animation = AnimationControl();
  const ULONGLONG end = GetTickCount64() + static_cast<ULONGLONG>(std::max(milliseconds, 0));
  for (ULONGLONG now = GetTickCount64(); now < end; now = GetTickCount64()) {
    ::Sleep(static_cast<DWORD>(std::min<ULONGLONG>(end - now, Animation::kFrameMs)));
    if (animation) animation->CatchUp();
  }
}

LRESULT Win32InfoForm::WndProc(UINT msg, WPARAM wp, LPARAM lp) {
  if (msg == WM_CLOSE) return 0;  // it ends with the copy it reports, not by Alt+F4
  return Win32Form::WndProc(msg, wp, lp);
}

void InstallInfoEnvironment() {
  SetInfoEnvironment({
      []() -> std::unique_ptr<IInfoForm> {
        auto form = std::make_unique<Win32InfoForm>();
        if (!form->Handle()) return nullptr;
        return form;
      },
      [] { Win32MessagePump().ProcessMessages(); },
      [](int milliseconds) {
        if (auto* form = dynamic_cast<Win32InfoForm*>(InfoForm.get()))
          form->Pause(milliseconds);
        else
          ::Sleep(static_cast<DWORD>(std::max(milliseconds, 0)));
      },
  });
}

}  // namespace ui::win32
