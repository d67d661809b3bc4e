#include "frontend/qt/QtForm.h"

#include <QApplication>
#include <QGuiApplication>
#include <QCloseEvent>
#include <QEventLoop>
#include <QKeyEvent>
#include <QLabel>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QScreen>
#include <QTextLayout>
#include <QToolTip>

#include <algorithm>
#include <vector>

#include "frontend/qt/QtControls.h"
#include "frontend/qt/QtStyle.h"

namespace ui::qt {

QString FromText(const std::string& text) {
  QString s = QString::fromStdString(text);
  s.replace(QStringLiteral("\r\n"), QStringLiteral("\n"));
  s.replace(QChar('\r'), QChar('\n'));
  return s;
}

void InstallFontSubstitutes() {
  // The layouts name Windows fonts; Liberation Sans keeps their widths.
  for (const char* family : {"MS Sans Serif", "Tahoma", "Arial"})
    QFont::insertSubstitutions(QString::fromLatin1(family),
                               {QStringLiteral("Liberation Sans"), QStringLiteral("DejaVu Sans")});
}

QFont ToQFont(const TFontSpec& spec) {
  QFont font(QString::fromUtf8(spec.Family));
  font.setPixelSize(spec.PixelHeight);
  font.setBold(spec.Bold);
  return font;
}

QString TooltipText(const QString& text) {
  // Tooltips show plain text on one line per line: a long hint would run
  // off the screen, so its lines are broken here, between words where
  // possible.
  const QFontMetrics fm(QToolTip::font());
  QStringList out;
  for (const QString& line : text.split(QChar('\n'))) {
    if (fm.horizontalAdvance(line) <= kTooltipWidth) {
      out << line;
      continue;
    }
    QTextLayout layout(line, QToolTip::font());
    QTextOption option;
    option.setWrapMode(QTextOption::WrapAtWordBoundaryOrAnywhere);
    layout.setTextOption(option);
    layout.beginLayout();
    for (QTextLine l = layout.createLine(); l.isValid(); l = layout.createLine()) {
      l.setLineWidth(kTooltipWidth);
      out << line.mid(l.textStart(), l.textLength()).trimmed();
    }
    layout.endLayout();
  }
  return out.join(QChar('\n'));
}

QString TooltipMarkup(const QString& text) {
  // Escaped text in a pre-formatted paragraph: the lines stay as broken,
  // and the tooltip neither joins them nor lays out anything from the disc.
  QStringList lines = TooltipText(text).split(QChar('\n'));
  for (QString& line : lines) line = line.toHtmlEscaped();
  return QStringLiteral("<p style=\"white-space:pre\">") + lines.join(QStringLiteral("<br>")) +
         QStringLiteral("</p>");
}

QString WindowTitle(const std::string& text) {
  return QString::fromStdString(text).replace(QStringLiteral("[*]"), QStringLiteral("[*][*]"));
}

namespace {
const TControlRow* FindRow(const TFormLayout& layout, int id) {
  for (const TControlRow& row : layout.Controls)
    if (row.Id == id) return &row;
  return nullptr;
}
}  // namespace

QtForm::QtForm(const TFormLayout& layout, QWidget* parent)
    : QWidget(parent), layout_(layout), client_(new QWidget(this)) {
  setObjectName(QString::fromUtf8(layout.Name));
  Qt::WindowFlags flags = Qt::Window | Qt::CustomizeWindowHint | Qt::WindowTitleHint;
  if (layout.SystemMenu) flags |= Qt::WindowSystemMenuHint | Qt::WindowCloseButtonHint;
  if (layout.MinimizeBox) flags |= Qt::WindowMinimizeButtonHint;
  if (layout.MaximizeBox) flags |= Qt::WindowMaximizeButtonHint;
  if (layout.FixedSize) flags |= Qt::MSWindowsFixedSizeDialogHint;
  if (layout.StayOnTop) flags |= Qt::WindowStaysOnTopHint;
  setWindowFlags(flags);

  const QColor background = ResolveColour(layout.Background);
  QPalette pal = palette();
  pal.setColor(QPalette::Window, background);
  pal.setColor(QPalette::WindowText, ResolveColour(layout.Font.Color));
  setPalette(pal);
  setAutoFillBackground(true);
  setFont(ToQFont(layout.Font));
  if (layout.Cursor == TCursor::crHourGlass) setCursor(Qt::WaitCursor);

  const int border = layout.InnerBorder;
  const QSize size(layout.ClientWidth + 2 * border, layout.ClientHeight + 2 * border);
  if (layout.FixedSize) setFixedSize(size); else resize(size);
  client_->setObjectName(QStringLiteral("client"));
  client_->setGeometry(border, border, layout.ClientWidth, layout.ClientHeight);

  if (*layout.Caption) setWindowTitle(QString::fromUtf8(layout.Caption));
  for (const TControlRow& row : layout.Controls) {
    QWidget* w = nullptr;
    QWidget* const parent = row.Parent >= 0 ? Control(row.Parent) : client_;
    switch (row.Kind) {
      case ControlKind::Label: {
        auto* label = new QLabel(FromText(row.Text), parent);
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
      case ControlKind::FlatImageButton: {
        auto* button = new FlatImageButton(QString::fromUtf8(row.Picture), parent);
        button->setGeometry(row.Left, row.Top, row.Width, row.Height);
        connect(button, &QAbstractButton::clicked, this, [this, id = row.Id] {
          if (OnClick) OnClick(id);
        });
        w = button;
        break;
      }
      case ControlKind::Picture:
        w = new PictureBox(QString::fromUtf8(row.Picture), parent);
        w->move(row.Left, row.Top);
        break;
      case ControlKind::Memo: {
        auto* memo = new QPlainTextEdit(FromText(row.Text), parent);
        memo->setFont(ToQFont(row.Font ? *row.Font : layout.Font));
        memo->setLineWrapMode(QPlainTextEdit::WidgetWidth);
        memo->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
        memo->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
        // Tab moves on, as in any dialog; Ctrl+Tab still types a tab.
        memo->setTabChangesFocus(true);
        memo->setGeometry(row.Left, row.Top, row.Width, row.Height);
        w = memo;
        break;
      }
      case ControlKind::Panel:
        w = new QWidget(parent);
        w->setGeometry(row.Left, row.Top, row.Width, row.Height);
        break;
      case ControlKind::PushButton: {
        auto* button = new QPushButton(FromText(row.Text), parent);
        button->setFont(ToQFont(row.Font ? *row.Font : layout.Font));
        const QString name = QString::fromUtf8(row.Picture);
        const QPixmap picture = LoadPicture(name);
        if (!picture.isNull()) {
          button->setIcon(PictureIcon(name));
          button->setIconSize(picture.size());
        }
        button->setGeometry(row.Left, row.Top, row.Width, row.Height);
        if (row.ModalResult)
          connect(button, &QPushButton::clicked, this, [this, r = row.ModalResult] { EndModal(r); });
        else
          connect(button, &QPushButton::clicked, this, [this, id = row.Id] {
            if (OnClick) OnClick(id);
          });
        w = button;
        break;
      }
      case ControlKind::Animation:
        w = new AnimationBox(QString::fromUtf8(row.Picture), QSize(row.Width, row.Height),
                             parent);
        w->move(row.Left, row.Top);
        break;
      case ControlKind::RadioButton: {
        // Siblings in one parent are one group: checking one unchecks the rest.
        auto* radio = new QRadioButton(FromText(row.Text), parent);
        const TFontSpec& font = row.Font ? *row.Font : layout.Font;
        radio->setFont(ToQFont(font));
        QPalette rp = radio->palette();
        rp.setColor(QPalette::WindowText, ResolveColour(font.Color));
        rp.setColor(QPalette::ButtonText, ResolveColour(font.Color));
        radio->setPalette(rp);
        radio->setChecked(row.Checked);
        radio->setGeometry(row.Left, row.Top, row.Width, row.Height);
        w = radio;
        break;
      }
    }
    if (row.TabOrder == 0 && row.Parent < 0 && !first_focus_) first_focus_ = w;
    w->setObjectName(QString::fromUtf8(row.Name));
    if (*row.Hint) w->setToolTip(TooltipMarkup(FromText(row.Hint)));
    w->setVisible(row.Visible);
    controls_[row.Id] = w;
  }
  // Tab order by the table's numbers, not by the rows' order: a control in a
  // panel takes its turn where its panel does, then by its own number.
  const auto turn = [&layout](const TControlRow* row) {
    std::vector<int> path;
    for (; row; row = row->Parent < 0 ? nullptr : FindRow(layout, row->Parent))
      path.insert(path.begin(), row->TabOrder);
    return path;
  };
  std::vector<std::pair<std::vector<int>, QWidget*>> tabbed;
  for (const TControlRow& row : layout.Controls)
    if (row.TabOrder >= 0 && Control(row.Id)->focusPolicy() != Qt::NoFocus)
      tabbed.emplace_back(turn(&row), Control(row.Id));
  std::stable_sort(tabbed.begin(), tabbed.end(),
                   [](const auto& a, const auto& b) { return a.first < b.first; });
  for (std::size_t i = 1; i < tabbed.size(); ++i)
    QWidget::setTabOrder(tabbed[i - 1].second, tabbed[i].second);
}

int QtForm::CheckedRadio() const {
  for (const TControlRow& row : layout_.Controls)
    if (auto* radio = qobject_cast<QRadioButton*>(Control(row.Id)); radio && radio->isChecked())
      return row.Id;
  return -1;
}

int QtForm::ShowModal() {
  setWindowModality(Qt::ApplicationModal);
  modalResult_ = 0;
  show();
  if (first_focus_) first_focus_->setFocus();
  QEventLoop loop;
  loop_ = &loop;
  loop.exec();
  loop_ = nullptr;
  hide();
  return modalResult_;
}

void QtForm::EndModal(int result) {
  modalResult_ = result;
  if (loop_) loop_->quit();
}

void QtForm::keyPressEvent(QKeyEvent* e) {
  if (loop_ && e->key() == Qt::Key_F1 && OnHelp) {
    OnHelp(layout_.HelpContext);
    return;
  }
  // Enter presses the focused push button, as the dialog manager does on
  // Windows (a push button outside a dialog takes only Space).
  if ((e->key() == Qt::Key_Return || e->key() == Qt::Key_Enter) &&
      (e->modifiers() & ~Qt::KeypadModifier) == Qt::NoModifier) {
    if (auto* button = qobject_cast<QPushButton*>(focusWidget()); button && button->isEnabled()) {
      button->click();
      return;
    }
  }
  if (loop_ && e->key() == Qt::Key_Escape) {
    for (const TControlRow& row : layout_.Controls)
      if (row.Cancel) {
        EndModal(row.ModalResult);
        return;
      }
  }
  QWidget::keyPressEvent(e);
}

void QtForm::closeEvent(QCloseEvent* e) {
  if (loop_) EndModal(2);  // the close box cancels
  QWidget::closeEvent(e);
}

QWidget* QtForm::Control(int id) const {
  auto it = controls_.find(id);
  return it == controls_.end() ? nullptr : it->second;
}

void QtForm::SetCaption(const std::string& text) { setWindowTitle(WindowTitle(text)); }

void QtForm::SetText(int control, const std::string& text) {
  if (auto* label = qobject_cast<QLabel*>(Control(control))) {
    label->setText(FromText(text));
    label->adjustSize();  // labels size themselves to their text
  }
}

void QtForm::SetHint(int control, const std::string& hint) {
  if (auto* w = Control(control)) w->setToolTip(TooltipMarkup(FromText(hint)));
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

QtTimer::QtTimer() {
  QObject::connect(&timer_, &QTimer::timeout, [this] {
    if (OnTick) OnTick();
  });
}

void QtTimer::SetEnabled(bool enabled) {
  if (enabled) timer_.start(); else timer_.stop();
}

void QtMessagePump::ProcessMessages() { QCoreApplication::processEvents(); }

}  // namespace ui::qt
