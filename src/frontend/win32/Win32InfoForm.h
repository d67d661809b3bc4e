#pragma once
// The progress window as a native window: the generic form drawing its
// layout, plus what ShowInfo asks of it.

#include <windows.h>

#include "frontend/win32/Win32Form.h"
#include "ui/F_Info.h"

namespace ui::win32 {

class Win32InfoForm : public Win32Form, public IInfoForm {
 public:
  Win32InfoForm();

  Animation* AnimationControl() const;

  void SetFileName(const std::string& name) override;
  void RepaintFileName() override;
  void SetAnimationActive(bool active) override;
  void Show() override;
  void CatchUpAnimation() override;

 protected:
  LRESULT WndProc(UINT msg, WPARAM wp, LPARAM lp) override;
};

// Makes ShowInfo and HideInfo use this window.
void InstallInfoEnvironment();

}  // namespace ui::win32
