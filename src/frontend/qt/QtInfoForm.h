#pragma once
// The progress window as a Qt window: the generic form drawing its layout,
// plus what ShowInfo asks of it.

#include <QRect>

#include "frontend/qt/QtForm.h"
#include "ui/F_Info.h"

class QLabel;

namespace ui::qt {

class AnimationBox;

class QtInfoForm : public QtForm, public IInfoForm {
  Q_OBJECT
 public:
  QtInfoForm();

  QLabel* FileNameLabel() const;
  AnimationBox* Animation() const;

  void SetFileName(const std::string& name) override;
  void RepaintFileName() override;
  void SetAnimationActive(bool active) override;
  void Show() override;
  void CatchUpAnimation() override;

 protected:
  void closeEvent(QCloseEvent* e) override;

 private:
  QRect labelArea_;  // where the label was before its last change
};

// Makes ShowInfo and HideInfo use this window.
void InstallInfoEnvironment();

}  // namespace ui::qt
