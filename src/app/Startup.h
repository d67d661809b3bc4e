#pragma once
// The one start-up sequence, run by every entry point with its front end.

#include <functional>
#include <memory>
#include <string>

#include "ui/Forms.h"
#include "ui/Main.h"

namespace app {

// The main window as a front end builds it.
class IMainWindow {
 public:
  virtual ~IMainWindow() = default;
  virtual ui::TFormDeps Deps() = 0;
  // Routes the window's events to the form's handlers from now on.
  virtual void Attach(ui::TSKDSetupForm& form) = 0;
};

class IFrontEnd {
 public:
  virtual ~IFrontEnd() = default;
  virtual void InitApplication() = 0;
  virtual void SetTitle(const std::string& title) = 0;
  // False when no style of that name is available.
  virtual bool ApplyStyle(const std::string& name) = 0;
  // The toolkit's own untranslated error box, with one button.
  virtual void ShowToolkitError(const std::string& title, const std::string& text,
                                const std::string& button) = 0;
  virtual std::unique_ptr<IMainWindow> CreateMainWindow() = 0;
  // Shows the main window and handles messages until termination; returns
  // at once when termination is already pending.
  virtual void RunMessageLoop(IMainWindow& window) = 0;
};

// What a front end lends the shared units while it runs: its dialogs, whose
// error box shows the help errors too, and how its message loop ends.
void ConnectFrontEnd(dialogs::IDialogs& dialogs, std::function<void()> terminate);
// Takes it all back, the progress window first, while the toolkit stands.
void DisconnectFrontEnd();

// Runs the program; the exit code.
int RunApplication(IFrontEnd& frontEnd);

// "Style '%s' not found" with the name put in.
std::string StyleNotFoundText(const std::string& styleName);

}  // namespace app
