#include "frontend/win32/Win32InfoForm.h"

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

void Win32InfoForm::CatchUpAnimation() {
  if (Animation* a = AnimationControl()) a->CatchUp();
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
      nullptr,
  });
}

}  // namespace ui::win32
