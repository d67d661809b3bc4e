#include "frontend/qt/QtInfoForm.h"

#include <QCloseEvent>
#include <QCoreApplication>
#include <QElapsedTimer>
#include <QLabel>
#include <QThread>
#include <QWindow>

#include "frontend/qt/QtControls.h"

namespace ui::qt {

QtInfoForm::QtInfoForm() : QtForm(InfoLayout()) {
  // A window that only reports progress: it must not take the focus from
  // the window the operator works in.
  setAttribute(Qt::WA_ShowWithoutActivating);
}

QLabel* QtInfoForm::FileNameLabel() const {
  return qobject_cast<QLabel*>(Control(info::FileNameLabel));
}

AnimationBox* QtInfoForm::Animation() const {
  return qobject_cast<AnimationBox*>(Control(info::Animate1));
}

void QtInfoForm::SetFileName(const std::string& name) {
  QLabel* label = FileNameLabel();
  labelArea_ = label ? label->geometry() : QRect();
  SetText(info::FileNameLabel, name);
}

void QtInfoForm::RepaintFileName() {
  if (QLabel* label = FileNameLabel()) {
    // A shorter name leaves the old text's place to the window's colour.
    Client()->repaint(labelArea_.united(label->geometry()));
  }
}

void QtInfoForm::SetAnimationActive(bool active) {
  if (AnimationBox* a = Animation()) a->SetActive(active);
}

void QtInfoForm::Show() {
  show();
  // Under X the first paint waits for the server's expose event; without it
  // the pause that follows would leave an empty frame on the screen.
  QElapsedTimer waited;
  waited.start();
  while (windowHandle() && !windowHandle()->isExposed() && waited.elapsed() < 250) {
    QCoreApplication::processEvents(QEventLoop::ExcludeUserInputEvents);
    if (!windowHandle()->isExposed()) QThread::msleep(5);
  }
}

void QtInfoForm::CatchUpAnimation() {
  if (AnimationBox* a = Animation()) a->CatchUp();
}

void QtInfoForm::closeEvent(QCloseEvent* e) {
  e->ignore();  // it ends with the copy it reports, not by the window manager
}

void InstallInfoEnvironment() {
  SetInfoEnvironment({
      []() -> std::unique_ptr<IInfoForm> { return std::make_unique<QtInfoForm>(); },
      [] { QCoreApplication::processEvents(); },
      nullptr,
  });
}

}  // namespace ui::qt
