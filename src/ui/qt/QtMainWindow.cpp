#include "ui/qt/QtMainWindow.h"

#include <QCloseEvent>
#include <QKeyEvent>

#include "ui/Application.h"

namespace ui::qt {

namespace {
constexpr std::uint16_t HELP_CONTEXT = 1;
}

QtMainWindow::QtMainWindow(dialogs::IDialogs& dialogs)
    : QtForm(MainLayout()), dialogs_(dialogs), timer1_(nullptr) {
  // No control takes the focus, so the window itself receives the keys.
  setFocusPolicy(Qt::StrongFocus);
}

void QtMainWindow::closeEvent(QCloseEvent* e) {
  bool canClose = true;
  // A pending termination closes without asking.
  if (form_ && !Application.Terminated) form_->FormCloseQuery(canClose);
  if (!canClose) {
    e->ignore();
    return;
  }
  if (form_) form_->FormClose();
  e->accept();
}

void QtMainWindow::keyPressEvent(QKeyEvent* e) {
  if (e->key() == Qt::Key_F1 && form_) {
    bool callHelp = true;
    form_->FormHelp(HELP_CONTEXT, Layout().HelpContext, callHelp);
    e->accept();
    return;
  }
  QtForm::keyPressEvent(e);
}

}  // namespace ui::qt
