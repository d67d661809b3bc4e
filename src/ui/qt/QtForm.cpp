#include "ui/qt/QtForm.h"

#include <QApplication>
#include <QGuiApplication>
#include <QLabel>
#include <QScreen>

#include "ui/qt/QtControls.h"
#include "ui/qt/QtStyle.h"

namespace ui::qt {

QString FromText(const std::string& text) {
  QString s = QString::fromStdString(text);
  s.replace(QStringLiteral("\r\n"), QStringLiteral("\n"));
  s.replace(QChar('\r'), QChar('\n'));
  return s;
}

QFont ToQFont(const TFontSpec& spec) {
  QFont font(QString::fromUtf8(spec.Family));
  font.setPixelSize(spec.PixelHeight);
  font.setBold(spec.Bold);
  return font;
}

QtForm::QtForm(const TFormLayout& layout, QWidget* parent)
    : QWidget(parent), layout_(layout), client_(new QWidget(this)) {
  setObjectName(QString::fromUtf8(layout.Name));
  Qt::WindowFlags flags = Qt::Window | Qt::CustomizeWindowHint | Qt::WindowTitleHint;
  if (layout.SystemMenu) flags |= Qt::WindowSystemMenuHint | Qt::WindowCloseButtonHint;
  if (layout.MinimizeBox) flags |= Qt::WindowMinimizeButtonHint;
  if (layout.MaximizeBox) flags |= Qt::WindowMaximizeButtonHint;
  if (layout.FixedSize) flags |= Qt::MSWindowsFixedSizeDialogHint;
  setWindowFlags(flags);

  const QColor background = ResolveColour(layout.Background);
  QPalette pal = palette();
  pal.setColor(QPalette::Window, background);
  pal.setColor(QPalette::WindowText, ResolveColour(layout.Font.Color));
  setPalette(pal);
  setAutoFillBackground(true);
  setFont(ToQFont(layout.Font));

  const int border = layout.InnerBorder;
  const QSize size(layout.ClientWidth + 2 * border, layout.ClientHeight + 2 * border);
  if (layout.FixedSize) setFixedSize(size); else resize(size);
  client_->setObjectName(QStringLiteral("client"));
  client_->setGeometry(border, border, layout.ClientWidth, layout.ClientHeight);

  for (const TControlRow& row : layout.Controls) {
    QWidget* w = nullptr;
    switch (row.Kind) {
      case ControlKind::Label: {
        auto* label = new QLabel(FromText(row.Text), client_);
        label->setTextFormat(Qt::PlainText);
        label->setFont(ToQFont(row.Font ? *row.Font : layout.Font));
        QPalette lp = label->palette();
        lp.setColor(QPalette::WindowText,
                    ResolveColour(row.Font ? row.Font->Color : layout.Font.Color));
        lp.setColor(QPalette::Window, background);
        label->setPalette(lp);
        label->setAutoFillBackground(!row.Transparent);
        label->setAttribute(Qt::WA_TransparentForMouseEvents);
        label->move(row.Left, row.Top);
        label->adjustSize();
        w = label;
        break;
      }
      case ControlKind::FlatImageButton:
        w = new FlatImageButton(LoadPicture(QString::fromUtf8(row.Picture)), client_);
        w->setGeometry(row.Left, row.Top, row.Width, row.Height);
        break;
      case ControlKind::Picture:
        w = new PictureBox(LoadPicture(QString::fromUtf8(row.Picture)), client_);
        w->move(row.Left, row.Top);
        break;
    }
    w->setObjectName(QString::fromUtf8(row.Name));
    if (*row.Hint) w->setToolTip(FromText(row.Hint));
    w->setVisible(row.Visible);
    controls_[row.Id] = w;
  }
}

QWidget* QtForm::Control(int id) const {
  auto it = controls_.find(id);
  return it == controls_.end() ? nullptr : it->second;
}

void QtForm::SetCaption(const std::string& text) { setWindowTitle(QString::fromStdString(text)); }

void QtForm::SetText(int control, const std::string& text) {
  if (auto* label = qobject_cast<QLabel*>(Control(control))) {
    label->setText(FromText(text));
    label->adjustSize();  // labels size themselves to their text
  }
}

void QtForm::SetHint(int control, const std::string& hint) {
  if (auto* w = Control(control)) w->setToolTip(FromText(hint));
}

void QtForm::SetTop(int control, int top) {
  if (auto* w = Control(control)) w->move(w->x(), top);
}

void QtForm::SetVisible(int control, bool visible) {
  if (auto* w = Control(control)) w->setVisible(visible);
}

void QtForm::SetEnabled(int control, bool enabled) {
  if (auto* w = Control(control)) w->setEnabled(enabled);
}

void QtForm::SetCursor(TCursor cursor) {
  while (QApplication::overrideCursor()) QApplication::restoreOverrideCursor();
  if (cursor == TCursor::crHourGlass) QApplication::setOverrideCursor(Qt::WaitCursor);
}

void QtForm::RequestClose() { close(); }

void QtForm::showEvent(QShowEvent* e) {
  if (!placed_ && layout_.CentreOnScreen) {
    placed_ = true;
    if (QScreen* screen = QGuiApplication::primaryScreen()) {
      const QRect area = screen->geometry();
      move(area.center() - QPoint(width() / 2, height() / 2));
    }
  }
  QWidget::showEvent(e);
}

QtTimer::QtTimer(std::function<void()> onTick) {
  QObject::connect(&timer_, &QTimer::timeout, [tick = std::move(onTick)] {
    if (tick) tick();
  });
}

void QtTimer::SetEnabled(bool enabled) {
  if (enabled) timer_.start(); else timer_.stop();
}

void QtMessagePump::ProcessMessages() { QCoreApplication::processEvents(); }

}  // namespace ui::qt
