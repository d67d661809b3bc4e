#pragma once
// The application object's toolkit-free state: title, help file, whether the
// style was applied, and the termination request.

#include <functional>
#include <string>

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
};

extern TApplication Application;

}  // namespace ui
