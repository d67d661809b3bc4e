#include "frontend/qt/QtFrontEnd.h"

#include <QApplication>

#include "frontend/qt/QtAccessible.h"
#include "frontend/qt/QtForm.h"
#include "frontend/qt/QtInfoForm.h"
#include "frontend/qt/QtMainWindow.h"
#include "frontend/qt/QtStyle.h"
#include "ui/Application.h"
#include "ui/_Consts.h"

#include <dlfcn.h>

#include <cstdio>
#include <cstdlib>
#include <system_error>
#include <thread>
#include <vector>

namespace ui::qt {

QtFrontEnd::QtFrontEnd(int& argc, char** argv) : argc_(argc), argv_(argv) {}

// The progress window is a widget: it goes before the application object.
QtFrontEnd::~QtFrontEnd() { app::DisconnectFrontEnd(); }

namespace {

// While the application object is made: Qt ends the program with an abort
// when it finds no display. Its own lines are held back; the fatal one
// becomes one line of ours and exit status 1, the others go out afterwards.
struct HeldMessage {
  QtMsgType Type;
  // Qt's own static strings.
  const char* File;
  int Line;
  const char* Function;
  const char* Category;
  QString Text;
};
std::vector<HeldMessage>* g_heldMessages = nullptr;

void HoldMessage(QtMsgType type, const QMessageLogContext& context, const QString& text) {
  if (type == QtFatalMsg) {
    std::fputs(consts::SNoDisplay, stderr);
    std::_Exit(1);
  }
  if (g_heldMessages)
    g_heldMessages->push_back(
        {type, context.file, context.line, context.function, context.category, text});
}

// fontconfig reads its configuration and font caches when the first font
// is asked for: about as long as making the application object, which loads
// the platform plugin and talks to the display. So a thread of its own reads
// them meanwhile.
// Only a warm-up: fontconfig's own start is safe against a second caller.
// Found among the libraries already loaded; without it Qt starts it itself.
std::jthread StartFontConfig() {
  using Init = int (*)();
  auto* init = reinterpret_cast<Init>(dlsym(RTLD_DEFAULT, "FcInit"));
  if (!init) return {};
  try {
    return std::jthread(init);
  } catch (const std::system_error&) {
    return {};  // no thread to be had: Qt loads it when it needs it
  }
}

}  // namespace

void QtFrontEnd::InitApplication() {
  std::jthread fontConfig = StartFontConfig();
  std::vector<HeldMessage> held;
  g_heldMessages = &held;
  const QtMessageHandler previous = qInstallMessageHandler(HoldMessage);
  app_ = std::make_unique<QApplication>(argc_, argv_);
  // Nothing asks for a font before this.
  if (fontConfig.joinable()) fontConfig.join();
  qInstallMessageHandler(previous);
  g_heldMessages = nullptr;
  for (const HeldMessage& m : held)
    qt_message_output(m.Type, QMessageLogContext(m.File, m.Line, m.Function, m.Category), m.Text);
  InstallFontSubstitutes();
  InstallInfoEnvironment();
  InstallAccessibility();
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
