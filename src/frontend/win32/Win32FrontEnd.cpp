#include "frontend/win32/Win32FrontEnd.h"

#include "frontend/win32/Win32InfoForm.h"
#include "frontend/win32/Win32Style.h"
#include "frontend/win32/Win32Util.h"
#include "ui/Application.h"

namespace ui::win32 {

namespace {
constexpr UINT_PTR kTimer1Id = 1;
Win32MainWindow* g_main = nullptr;
}  // namespace

void Win32Timer::SetEnabled(bool enabled) {
  enabled_ = enabled;
  if (enabled) SetTimer(owner_, id_, static_cast<UINT>(interval_), nullptr);
  else KillTimer(owner_, id_);
}

void Win32Timer::SetInterval(int ms) {
  interval_ = ms;
  if (enabled_) SetTimer(owner_, id_, static_cast<UINT>(ms), nullptr);
}

void Win32MessagePump::ProcessMessages() {
  MSG m;
  while (PeekMessageW(&m, nullptr, 0, 0, PM_REMOVE)) {
    if (m.message == WM_QUIT) {
      PostQuitMessage(static_cast<int>(m.wParam));
      break;
    }
    if (g_main && g_main->HandleKey(m)) continue;
    TranslateMessage(&m);
    DispatchMessageW(&m);
  }
}

Win32MainWindow::Win32MainWindow(dialogs::IDialogs& dialogs)
    : Win32Form(MainLayout()), dialogs_(dialogs), timer1_(Handle(), kTimer1Id) {
  g_main = this;
}

void Win32MainWindow::Attach(TSKDSetupForm& form) {
  form_ = &form;
  timer1_.OnTick = [&form] { form.Timer1Timer(); };
  OnClick = [&form](int control) { form.Click(control); };
}

void Win32MainWindow::Show(int showCommand) {
  CentreOnScreen();
  ShowWindow(Handle(), showCommand);
  UpdateWindow(Handle());
}

bool Win32MainWindow::HandleKey(const MSG& m) {
  if (m.message != WM_KEYDOWN || m.wParam != VK_F1 || !form_) return false;
  if (m.hwnd != Handle() && !IsChild(Handle(), m.hwnd)) return false;
  form_->HelpKey();
  return true;
}

LRESULT Win32MainWindow::WndProc(UINT msg, WPARAM wp, LPARAM lp) {
  switch (msg) {
    case WM_TIMER:
      if (wp == kTimer1Id && timer1_.OnTick) timer1_.OnTick();
      return 0;
    case WM_CLOSE:
      if (!form_ || form_->CloseQuery()) PostQuitMessage(0);
      return 0;
  }
  return Win32Form::WndProc(msg, wp, lp);
}

Win32FrontEnd::~Win32FrontEnd() {
  app::DisconnectFrontEnd();
  g_main = nullptr;
}

// COM and the common controls are loaded where they are first needed.
void Win32FrontEnd::InitApplication() {
  InstallInfoEnvironment();
  app::ConnectFrontEnd(dialogs_, [] { PostQuitMessage(0); });
}

void Win32FrontEnd::SetTitle(const std::string&) {
  // The taskbar shows the main window's caption, which is the same name.
}

bool Win32FrontEnd::ApplyStyle(const std::string& name) { return win32::ApplyStyle(name); }

void Win32FrontEnd::ShowToolkitError(const std::string& title, const std::string& text,
                                     const std::string& button) {
  win32::ShowToolkitError(title, text, button, nullptr);
}

std::unique_ptr<app::IMainWindow> Win32FrontEnd::CreateMainWindow() {
  auto w = std::make_unique<Win32MainWindow>(dialogs_);
  dialogs_.MainWindow = w->Handle();
  return w;
}

void Win32FrontEnd::RunMessageLoop(app::IMainWindow& window) {
  auto& w = static_cast<Win32MainWindow&>(window);
  w.Show(showCommand_);
  if (Application.Terminated) return;
  MSG m;
  while (GetMessageW(&m, nullptr, 0, 0) > 0) {
    if (w.HandleKey(m)) continue;
    TranslateMessage(&m);
    DispatchMessageW(&m);
  }
}

}  // namespace ui::win32
