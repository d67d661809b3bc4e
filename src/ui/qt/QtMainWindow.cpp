#include "ui/qt/QtMainWindow.h"

#include <QCloseEvent>
#include <QKeyEvent>

#include "ui/Application.h"
#include "ui/qt/QtControls.h"

namespace ui::qt {

namespace {
constexpr std::uint16_t HELP_CONTEXT = 1;
}

QtMainWindow::QtMainWindow(dialogs::IDialogs& dialogs) : QtForm(MainLayout()), dialogs_(dialogs) {
  // No control takes the focus, so the window itself receives the keys.
  setFocusPolicy(Qt::StrongFocus);
}

void QtMainWindow::Attach(TSKDSetupForm& form) {
  form_ = &form;
  timer1_.OnTick = [&form] { form.Timer1Timer(); };
  const std::pair<int, void (TSKDSetupForm::*)()> clicks[] = {
      {SoftSetupRXSB, &TSKDSetupForm::SoftSetupRXSBClick},
      {ViewRxSB, &TSKDSetupForm::ViewRxSBClick},
      {DocRxSB, &TSKDSetupForm::DocRxSBClick},
  };
  for (auto [id, handler] : clicks) {
    auto* button = qobject_cast<FlatImageButton*>(Control(id));
    connect(button, &QAbstractButton::clicked, this, [&form, handler = handler] { form.Perform(handler); });
  }
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
