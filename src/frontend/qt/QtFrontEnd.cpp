#include "frontend/qt/QtFrontEnd.h"

#include <QApplication>

#include "frontend/qt/QtForm.h"
#include "frontend/qt/QtInfoForm.h"
#include "frontend/qt/QtMainWindow.h"
#include "frontend/qt/QtStyle.h"
#include "ui/Application.h"

namespace ui::qt {

QtFrontEnd::QtFrontEnd(int& argc, char** argv) : argc_(argc), argv_(argv) {}

// The progress window is a widget: it goes before the application object.
QtFrontEnd::~QtFrontEnd() { app::DisconnectFrontEnd(); }

void QtFrontEnd::InitApplication() {
  app_ = std::make_unique<QApplication>(argc_, argv_);
  InstallFontSubstitutes();
  InstallInfoEnvironment();
  app::ConnectFrontEnd(dialogs_, [] { QCoreApplication::quit(); });
}

void QtFrontEnd::SetTitle(const std::string& title) {
  QApplication::setApplicationDisplayName(QString());
  QApplication::setApplicationName(QString::fromStdString(title));
}

bool QtFrontEnd::ApplyStyle(const std::string& name) {
  return qt::ApplyStyle(QString::fromStdString(name));
}

void QtFrontEnd::ShowToolkitError(const std::string& title, const std::string& text,
                                  const std::string& button) {
  dialogs_.ShowToolkitError(title, text, button);
}

std::unique_ptr<app::IMainWindow> QtFrontEnd::CreateMainWindow() {
  return std::make_unique<QtMainWindow>(dialogs_);
}

void QtFrontEnd::RunMessageLoop(app::IMainWindow& window) {
  auto& w = dynamic_cast<QtMainWindow&>(window);
  w.show();
  if (Application.Terminated) return;
  QApplication::exec();
}

}  // namespace ui::qt
