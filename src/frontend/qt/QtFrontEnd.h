#pragma once
// The Qt front end of the start-up sequence.

#include <memory>

#include "app/Startup.h"
#include "frontend/qt/QtMessageDialog.h"

class QApplication;

namespace ui::qt {

class QtFrontEnd : public app::IFrontEnd {
 public:
  QtFrontEnd(int& argc, char** argv);
  ~QtFrontEnd() override;

  void InitApplication() override;
  void SetTitle(const std::string& title) override;
  bool ApplyStyle(const std::string& name) override;
  void ShowToolkitError(const std::string& title, const std::string& text,
                        const std::string& button) override;
  std::unique_ptr<app::IMainWindow> CreateMainWindow() override;
  void RunMessageLoop(app::IMainWindow& window) override;

 private:
  int& argc_;
  char** argv_;
  std::unique_ptr<QApplication> app_;
  QtDialogs dialogs_;
};

}  // namespace ui::qt
