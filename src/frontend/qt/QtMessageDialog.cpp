#include "frontend/qt/QtMessageDialog.h"

#include <QApplication>
#include <QClipboard>
#include <QFontMetrics>
#include <QKeyEvent>
#include <QLabel>
#include <QMessageBox>
#include <QPainter>
#include <QPushButton>
#include <QScreen>
#include <QStyle>

#include "frontend/qt/QtForm.h"
#include "ui/Application.h"

namespace ui::qt {

using namespace dialogs;

namespace {

// Word-wrapped in `width`; when a word alone is wider than that, the text is
// broken anywhere instead, so that it never runs past the width.
int WrapFlags(const QFont& font, const QString& text, int width) {
  const QRect r = QFontMetrics(font).boundingRect(QRect(0, 0, width, 0), kMessageTextFlags, text);
  return BreakAnywhere(r.width(), width)
             ? (kMessageTextFlags & ~Qt::TextWordWrap) | Qt::TextWrapAnywhere
             : kMessageTextFlags;
}

// Draws the message exactly as QtDialogMetrics measured it.
class MessageText : public QWidget {
 public:
  MessageText(const QString& text, QWidget* parent) : QWidget(parent), text_(text) {
    setObjectName(QStringLiteral("Message"));
    setProperty("text", text);
  }
  QString Text() const { return text_; }

 protected:
  void paintEvent(QPaintEvent*) override {
    QPainter p(this);
    p.setPen(palette().color(QPalette::WindowText));
    p.drawText(rect(), WrapFlags(font(), text_, width()), text_);
  }

 private:
  QString text_;
};

QStyle::StandardPixmap IconPixmap(TDialogIcon icon) {
  switch (icon) {
    case TDialogIcon::Warning: return QStyle::SP_MessageBoxWarning;
    case TDialogIcon::Error: return QStyle::SP_MessageBoxCritical;
    case TDialogIcon::Information: return QStyle::SP_MessageBoxInformation;
    default: return QStyle::SP_MessageBoxQuestion;
  }
}

QRect ToQRect(const TRect& r) { return QRect(r.Left, r.Top, r.Width, r.Height); }

}  // namespace

QFont MessageFont() { return QApplication::font("QMessageBox"); }

TSize QtDialogMetrics::AverageCharSize() {
  const QFontMetrics fm(font_);
  return {AverageCharWidth(fm.horizontalAdvance(QLatin1String(kAverageCharSample))), fm.height()};
}

int QtDialogMetrics::TextWidth(const std::string& line) {
  return QFontMetrics(font_).horizontalAdvance(QString::fromStdString(line));
}

TSize QtDialogMetrics::WrappedTextSize(const std::string& text, int maxWidth) {
  const QString s = FromText(text);
  const QRect r = QFontMetrics(font_).boundingRect(QRect(0, 0, maxWidth, 0),
                                                   WrapFlags(font_, s, maxWidth), s);
  return {r.width(), r.height()};
}

TSize QtDialogMetrics::ScreenSize() {
  QScreen* screen = QGuiApplication::primaryScreen();
  const QRect g = screen ? screen->geometry() : QRect(0, 0, 1024, 768);
  return {g.width(), g.height()};
}

QtMessageDialog::QtMessageDialog(const TMessageDialogLayout& layout, QWidget* parent)
    : QDialog(parent), layout_(layout) {
  setObjectName(QStringLiteral("MessageDialog"));
  setWindowFlags(Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowTitleHint |
                 Qt::WindowSystemMenuHint | Qt::WindowCloseButtonHint |
                 Qt::MSWindowsFixedSizeDialogHint);
  setWindowTitle(WindowTitle(layout.Caption));
  setFont(MessageFont());
  setFixedSize(layout.ClientWidth, layout.ClientHeight);

  if (layout.Icon != TDialogIcon::None) {
    auto* icon = new QLabel(this);
    icon->setObjectName(QStringLiteral("Image"));
    icon->setPixmap(style()->standardIcon(IconPixmap(layout.Icon)).pixmap(32, 32));
    icon->setGeometry(ToQRect(layout.IconBounds));
  }
  auto* text = new MessageText(FromText(layout.Text), this);
  text->setGeometry(ToQRect(layout.TextBounds));

  for (size_t i = 0; i < layout.Buttons.size(); ++i) {
    const auto& b = layout.Buttons[i];
    auto* button = new QPushButton(QString::fromStdString(b.Caption), this);
    button->setObjectName(QStringLiteral("Button%1").arg(b.Button));
    button->setGeometry(ToQRect(b.Bounds));
    button->setAutoDefault(false);
    const int index = static_cast<int>(i);
    connect(button, &QPushButton::clicked, this,
            [this, index] { Perform(DialogButtonClick(layout_, index)); });
    buttons_.push_back(button);
  }
  if (layout.DefaultIndex >= 0) {
    buttons_[layout.DefaultIndex]->setDefault(true);
    buttons_[layout.DefaultIndex]->setFocus();
  }
}

int QtMessageDialog::ButtonIndex(const QWidget* w) const {
  for (std::size_t i = 0; i < buttons_.size(); ++i)
    if (buttons_[i] == w) return static_cast<int>(i);
  return -1;
}

void QtMessageDialog::Perform(const TDialogAction& action) {
  PerformDialogAction(action, layout_, *this);
}

void QtMessageDialog::Close(int result) { done(result); }

void QtMessageDialog::Beep() { QApplication::beep(); }

void QtMessageDialog::CopyToClipboard(const std::string& text) {
  QGuiApplication::clipboard()->setText(QString::fromStdString(text));
}

void QtMessageDialog::keyPressEvent(QKeyEvent* e) {
  int focused = -1;
  for (size_t i = 0; i < buttons_.size(); ++i)
    if (buttons_[i]->hasFocus()) focused = static_cast<int>(i);
  if (e->matches(QKeySequence::Copy)) {
    Perform(DialogKey(layout_, TDialogKey::CtrlC, focused));
  } else if (e->key() == Qt::Key_Return || e->key() == Qt::Key_Enter) {
    Perform(DialogKey(layout_, TDialogKey::Enter, focused));
  } else if (e->key() == Qt::Key_Escape) {
    Perform(DialogKey(layout_, TDialogKey::Escape, focused));
  } else {
    QDialog::keyPressEvent(e);
    return;
  }
  e->accept();
}

// The frame's close box and the system menu end up here.
void QtMessageDialog::reject() { done(DialogCloseResult(layout_)); }

void QtMessageDialog::showEvent(QShowEvent* e) {
  if (!placed_) {
    placed_ = true;
    QScreen* screen = QGuiApplication::primaryScreen();
    const QRect s = screen ? screen->geometry() : QRect();
    QWidget* main = nullptr;
    for (QWidget* w : QApplication::topLevelWidgets())
      if (w != this && w->isVisible() && !qobject_cast<QDialog*>(w)) main = w;
    const QRect m = main ? main->frameGeometry() : s;
    const TPoint p = PlaceDialog(layout_.X, layout_.Y, {width(), height()},
                                 {s.x(), s.y(), s.width(), s.height()},
                                 {m.x(), m.y(), m.width(), m.height()});
    move(p.X, p.Y);
  }
  QDialog::showEvent(e);
}

int QtDialogs::ShowMessageDialog(const TMessageDialogRequest& request) {
  QtDialogMetrics metrics(MessageFont());
  QtMessageDialog dialog(BuildMessageDialog(request, metrics, Application.Title));
  dialog.setWindowModality(Qt::ApplicationModal);
  return dialog.exec();
}

TModalFormResult QtDialogs::RunModalForm(const TModalFormRequest& request) {
  QtForm form(*request.Layout);
  for (const auto& [id, text] : request.Texts) form.SetText(id, text);
  form.OnClick = request.OnClick;
  form.OnHelp = request.OnHelp;
  TModalFormResult r;
  r.Created = true;
  r.ModalResult = form.ShowModal();
  r.CheckedRadio = form.CheckedRadio();
  return r;
}

void QtDialogs::ShowToolkitError(const std::string& title, const std::string& text,
                                 const std::string& button) {
  QMessageBox box(QMessageBox::Critical, WindowTitle(title), QString::fromStdString(text),
                  QMessageBox::NoButton, QApplication::activeWindow());
  box.setTextFormat(Qt::PlainText);
  box.addButton(QString::fromStdString(button), QMessageBox::AcceptRole);
  box.exec();
}

void QtDialogs::ShowErrorBox(const std::string& caption, const std::string& text) {
  QMessageBox box(QMessageBox::Critical, WindowTitle(caption), FromText(text),
                  QMessageBox::Ok, QApplication::activeWindow());
  box.setTextFormat(Qt::PlainText);
  box.exec();
}

}  // namespace ui::qt
