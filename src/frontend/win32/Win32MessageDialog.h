#pragma once
// The message dialog drawn natively from its toolkit-free layout, and the
// task dialog variant for the plain system look.

#include <windows.h>

#include <functional>
#include <string>

#include "help/Help.h"
#include "ui/_Dialogs.h"

namespace ui::win32 {

// The system message font at `dpi` with the Cyrillic character set.
HFONT CreateMessageFont(int dpi);

class Win32DialogMetrics : public dialogs::IDialogMetrics {
 public:
  explicit Win32DialogMetrics(HFONT font);
  ~Win32DialogMetrics() override;
  dialogs::TSize AverageCharSize() override;
  int TextWidth(const std::string& line) override;
  dialogs::TSize WrappedTextSize(const std::string& text, int maxWidth) override;
  dialogs::TSize ScreenSize() override;

 private:
  HDC dc_;
  HGDIOBJ old_;
};

inline constexpr UINT kMessageTextFlags = DT_WORDBREAK | DT_EXPANDTABS | DT_NOPREFIX | DT_LEFT;

// The dialog's layout in its font at `dpi`, the icon scaled with it.
dialogs::TMessageDialogLayout MessageDialogLayout(const dialogs::TMessageDialogRequest& request,
                                                  const std::string& appTitle, int dpi);

// Runs the built dialog modally; the result of the button that closed it.
// It is laid out for its monitor's DPI, and again when that changes.
using DialogLayoutFor = std::function<dialogs::TMessageDialogLayout(int dpi)>;
int RunMessageDialog(const DialogLayoutFor& layoutFor, HWND mainWindow);

class Win32Dialogs : public dialogs::IDialogs {
 public:
  int ShowMessageDialog(const dialogs::TMessageDialogRequest& request) override;
  dialogs::TModalFormResult RunModalForm(const dialogs::TModalFormRequest& request) override;
  void ShowToolkitError(const std::string& title, const std::string& text,
                        const std::string& button) override;
  void ShowErrorBox(const std::string& caption, const std::string& text) override;
  // The main window, for placement -2 and as the dialogs' owner.
  HWND MainWindow = nullptr;
};

// The toolkit's own untranslated box with one button.
void ShowToolkitError(const std::string& title, const std::string& text, const std::string& button,
                      HWND owner);

}  // namespace ui::win32
