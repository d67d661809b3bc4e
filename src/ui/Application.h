#pragma once
// The application object's toolkit-free state: title, help file, whether the
// style was applied, and the termination request.

#include <exception>
#include <functional>
#include <string>

namespace dialogs {
class IDialogs;
}

namespace ui {

struct TApplication {
  std::string Title;
  std::string HelpFile;
  bool StyleApplied = false;
  bool Terminated = false;
  // The front end's hook that ends its message loop.
  std::function<void()> OnTerminate;

  void Terminate() {
    Terminated = true;
    if (OnTerminate) OnTerminate();
  }
  void Reset() { *this = TApplication{}; }
  // The general error box for a failure that ended a command: captioned
  // with the title, the message with a full stop.
  void ShowException(dialogs::IDialogs& dialogs, const std::exception& e) const;
};

extern TApplication Application;

}  // namespace ui
