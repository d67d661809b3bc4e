#pragma once
// The native Windows front end of the start-up sequence.

#include <windows.h>

#include <functional>
#include <memory>

#include "app/Startup.h"
#include "frontend/win32/Win32Form.h"
#include "frontend/win32/Win32MessageDialog.h"

namespace ui::win32 {

class Win32Timer : public ITimer {
 public:
  Win32Timer(HWND owner, UINT_PTR id) : owner_(owner), id_(id) {}
  void SetEnabled(bool enabled) override;
  bool Enabled() const override { return enabled_; }
  void SetInterval(int ms) override;
  int Interval() const override { return interval_; }
  std::function<void()> OnTick;

 private:
  HWND owner_;
  UINT_PTR id_;
  bool enabled_ = false;
  int interval_ = 1000;
};

class Win32MessagePump : public IMessagePump {
 public:
  void ProcessMessages() override;
};

class Win32MainWindow : public Win32Form, public app::IMainWindow {
 public:
  explicit Win32MainWindow(dialogs::IDialogs& dialogs);
  TFormDeps Deps() override { return {*this, timer1_, pump_, dialogs_, launcher_}; }
  void Attach(TSKDSetupForm& form) override;
  // F1 arrives as a key; the loops hand it over here.
  bool HandleKey(const MSG& m);
  void Show(int showCommand);

 protected:
  LRESULT WndProc(UINT msg, WPARAM wp, LPARAM lp) override;

 private:
  dialogs::IDialogs& dialogs_;
  Win32Timer timer1_;
  Win32MessagePump pump_;
  TPlatformLauncher launcher_;
  TSKDSetupForm* form_ = nullptr;
};

class Win32FrontEnd : public app::IFrontEnd {
 public:
  explicit Win32FrontEnd(int showCommand) : showCommand_(showCommand) {}
  ~Win32FrontEnd() override;
  void InitApplication() override;
  void SetTitle(const std::string& title) override;
  bool ApplyStyle(const std::string& name) override;
  void ShowToolkitError(const std::string& title, const std::string& text,
                        const std::string& button) override;
  std::unique_ptr<app::IMainWindow> CreateMainWindow() override;
  void RunMessageLoop(app::IMainWindow& window) override;

 private:
  int showCommand_;
  Win32Dialogs dialogs_;
};

}  // namespace ui::win32
