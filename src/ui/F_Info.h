#pragma once
// Unit F_Info: TInfoForm, the small window that names the file being copied
// while a looping animation runs. At most one exists at a time.

#include <functional>
#include <memory>
#include <string>

#include "ui/Layout.h"

namespace ui {

namespace info {
enum Control : int { FileNameLabel, Animate1 };
}

const TFormLayout& InfoLayout();

// The progress window as a front end draws it.
class IInfoForm {
 public:
  virtual ~IInfoForm() = default;
  virtual void SetFileName(const std::string& name) = 0;
  virtual void RepaintFileName() = 0;  // at once, not at the next paint
  virtual void SetAnimationActive(bool active) = 0;
  virtual void Show() = 0;             // without making it modal
};

// What the unit needs of the front end: making the window (null when that
// fails), a pass over pending messages, and a pause.
struct TInfoEnvironment {
  std::function<std::unique_ptr<IInfoForm>()> Create;
  std::function<void()> ProcessMessages;
  std::function<void(int milliseconds)> Sleep;
};
void SetInfoEnvironment(TInfoEnvironment environment);

// The window while it exists; null otherwise.
extern std::unique_ptr<IInfoForm> InfoForm;

inline constexpr int kInfoPauseMs = 500;

void ShowInfo(const std::string& FileName);
void HideInfo();

}  // namespace ui
