#pragma once
// The menu window: the main layout drawn by QtForm, its events routed to
// TSKDSetupForm.

#include "app/Startup.h"
#include "frontend/qt/QtForm.h"
#include "frontend/qt/QtMessageDialog.h"

namespace ui::qt {

class QtMainWindow : public QtForm, public app::IMainWindow {
  Q_OBJECT
 public:
  explicit QtMainWindow(dialogs::IDialogs& dialogs);

  TFormDeps Deps() override { return {*this, timer1_, pump_, dialogs_, launcher_}; }
  void Attach(TSKDSetupForm& form) override;
  ITimer& Timer1() { return timer1_; }

 protected:
  void closeEvent(QCloseEvent* e) override;
  void keyPressEvent(QKeyEvent* e) override;

 private:
  dialogs::IDialogs& dialogs_;
  QtTimer timer1_;
  QtMessagePump pump_;
  TPlatformLauncher launcher_;
  TSKDSetupForm* form_ = nullptr;
};

}  // namespace ui::qt
