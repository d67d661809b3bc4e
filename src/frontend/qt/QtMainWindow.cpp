#include "frontend/qt/QtMainWindow.h"

#include <QCloseEvent>
#include <QKeyEvent>

namespace ui::qt {

QtMainWindow::QtMainWindow(dialogs::IDialogs& dialogs) : QtForm(MainLayout()), dialogs_(dialogs) {
  // No control takes the focus, so the window itself receives the keys.
  setFocusPolicy(Qt::StrongFocus);
}

void QtMainWindow::Attach(TSKDSetupForm& form) {
  form_ = &form;
  timer1_.OnTick = [&form] { form.Timer1Timer(); };
  OnClick = [&form](int control) { form.Click(control); };
}

void QtMainWindow::closeEvent(QCloseEvent* e) {
  if (form_ && !form_->CloseQuery())
    e->ignore();
  else
    e->accept();
}

void QtMainWindow::keyPressEvent(QKeyEvent* e) {
  if (e->key() == Qt::Key_F1 && form_) {
    form_->HelpKey();
    e->accept();
    return;
  }
  QtForm::keyPressEvent(e);
}

}  // namespace ui::qt
