#include "frontend/qt/QtForm.h"

#include <QAccessible>
#include <QApplication>
#include <QGuiApplication>
#include <QCloseEvent>
#include <QEventLoop>
#include <QFontDatabase>
#include <QKeyEvent>
#include <QLabel>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QScreen>
#include <QToolTip>

#include <algorithm>
#include <map>
#include <vector>

#include "frontend/qt/QtAccessible.h"
#include "frontend/qt/QtControls.h"
#include "frontend/qt/QtStyle.h"
#include "ui/FormRules.h"

namespace ui::qt {

QString FromText(const std::string& text) {
  return QString::fromStdString(WithLineBreaks(text, "\n"));
}

void InstallFontSubstitutes() {
  // The layouts name Windows fonts; Liberation Sans keeps their widths.
  for (const char* family : {"MS Sans Serif", "Tahoma", "Arial"})
    QFont::insertSubstitutions(QString::fromLatin1(family),
                               {QStringLiteral("Liberation Sans"), QStringLiteral("DejaVu Sans")});
}

QFont ToQFont(const TFontSpec& spec) {
  // A family this machine lacks is named by its substitutes: asked for it
  // by name, Qt would first have fontconfig sort every font as a fallback
  // for it, once per family, before the first frame.
  // (hasFamily would ask fontconfig to resolve each name as an alias.)
  static std::map<std::string, QStringList> chosen;
  auto it = chosen.find(spec.Family);
  if (it == chosen.end()) {
    const QString family = QString::fromUtf8(spec.Family);
    QStringList families{family};
    if (!QFontDatabase::families().contains(family, Qt::CaseInsensitive))
      families = QFont::substitutes(family) << family;
    it = chosen.emplace(spec.Family, families).first;
  }
  QFont font;
  font.setFamilies(it->second);
  font.setPixelSize(spec.PixelHeight);
  font.setBold(spec.Bold);
  return font;
}

QFont LabelFont(const TFontSpec& spec, const QString& text) {
  // Fallback fonts are found by two sorts of every font fontconfig knows,
  // before the first frame; a text its own font draws whole needs none.
  QFont font = ToQFont(spec);
  font.setStyleStrategy(QFont::NoFontMerging);
  const QFontMetrics metrics(font);
  for (const char32_t c : text.toUcs4())
    if (QChar::isPrint(c) && !metrics.inFontUcs4(c)) {
      font.setStyleStrategy(QFont::PreferDefault);
      break;
    }
  return font;
}

QString TooltipText(const QString& text) {
  // Tooltips show plain text on one line per line: a long hint would run
  // off the screen, so its lines are broken here.
  const QFontMetrics fm(QToolTip::font());
  const std::function<std::size_t(std::u16string_view, int)> fit = [&fm](std::u16string_view line,
                                                                         int width) {
    // The longest start of the line that fits.
    std::size_t lo = 0, hi = line.size();
    while (lo < hi) {
      const std::size_t mid = (lo + hi + 1) / 2;
      const QString start = QString::fromUtf16(line.data(), static_cast<qsizetype>(mid));
      if (fm.horizontalAdvance(start) <= width)
        lo = mid;
      else
        hi = mid - 1;
    }
    return lo;
  };
  return QString::fromStdU16String(
      WrapLines<char16_t>(text.toStdU16String(), kTooltipWidth, fit, u"\n"));
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
        const QString text = FromText(row.Text);
        auto* label = new QLabel(text, parent);
        label->setTextFormat(Qt::PlainText);
        label->setFont(LabelFont(RowFont(layout, row), text));
        QPalette lp = label->palette();
        lp.setColor(QPalette::WindowText, ResolveColour(RowFont(layout, row).Color));
        lp.setColor(QPalette::Window, background);
        label->setPalette(lp);
        label->setAutoFillBackground(!row.Transparent);
        label->setAttribute(Qt::WA_TransparentForMouseEvents);
        label->adjustSize();
        w = label;
        break;
      }
      case ControlKind::FlatImageButton:
        w = new FlatImageButton(QString::fromUtf8(row.Picture), parent);
        break;
      case ControlKind::Picture:
        w = new PictureBox(QString::fromUtf8(row.Picture), parent);
        break;
      case ControlKind::Memo: {
        auto* memo = new QPlainTextEdit(FromText(row.Text), parent);
        memo->setFont(ToQFont(RowFont(layout, row)));
        memo->setLineWrapMode(QPlainTextEdit::WidgetWidth);
        memo->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
        memo->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
        // Tab moves on, as in any dialog; Ctrl+Tab still types a tab.
        memo->setTabChangesFocus(true);
        w = memo;
        break;
      }
      case ControlKind::Panel:
        w = new QWidget(parent);
        break;
      case ControlKind::PushButton: {
        auto* button = new QPushButton(FromText(row.Text), parent);
        button->setFont(ToQFont(RowFont(layout, row)));
        const QString name = QString::fromUtf8(row.Picture);
        const QPixmap picture = LoadPicture(name);
        if (!picture.isNull()) {
          button->setIcon(PictureIcon(name));
          button->setIconSize(picture.size());
        }
        w = button;
        break;
      }
      case ControlKind::Animation:
        w = new AnimationBox(QString::fromUtf8(row.Picture), QSize(row.Width, row.Height), parent);
        break;
      case ControlKind::RadioButton: {
        // Siblings in one parent are one group: checking one unchecks the rest.
        auto* radio = new QRadioButton(FromText(row.Text), parent);
        const TFontSpec& font = RowFont(layout, row);
        radio->setFont(ToQFont(font));
        QPalette rp = radio->palette();
        rp.setColor(QPalette::WindowText, ResolveColour(font.Color));
        rp.setColor(QPalette::ButtonText, ResolveColour(font.Color));
        radio->setPalette(rp);
        radio->setChecked(row.Checked);
        w = radio;
        break;
      }
    }
    // Labels and pictures take the size of what they show.
    if (row.Kind == ControlKind::Label || row.Kind == ControlKind::Picture)
      w->move(row.Left, row.Top);
    else
      w->setGeometry(row.Left, row.Top, row.Width, row.Height);
    if (auto* button = qobject_cast<QAbstractButton*>(w))
      connect(button, &QAbstractButton::clicked, this,
              [this, id = row.Id] { Perform(FormClick(layout_, id)); });
    w->setObjectName(QString::fromUtf8(row.Name));
    w->setVisible(row.Visible);
    controls_[row.Id] = w;
    if (*row.Hint) SetHintText(row.Id, row.Hint);
  }
  const std::vector<int> chain = TabChain(layout);
  for (std::size_t i = 1; i < chain.size(); ++i)
    QWidget::setTabOrder(Control(chain[i - 1]), Control(chain[i]));
  first_focus_ = Control(FirstFocus(layout));
}

void QtForm::Perform(const TFormAction& action) {
  PerformFormAction(action, [this](int result) { EndModal(result); }, OnClick, OnHelp);
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
    Perform(FormHelp(layout_));
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
    if (const TFormAction a = FormEscape(layout_); a.What != TFormAction::None) {
      Perform(a);
      return;
    }
  }
  QWidget::keyPressEvent(e);
}

void QtForm::closeEvent(QCloseEvent* e) {
  if (loop_) Perform(FormCloseBox(layout_));
  QWidget::closeEvent(e);
}

QWidget* QtForm::Control(int id) const {
  auto it = controls_.find(id);
  return it == controls_.end() ? nullptr : it->second;
}

void QtForm::SetCaption(const std::string& text) { setWindowTitle(WindowTitle(text)); }

void QtForm::SetText(int control, const std::string& text) {
  auto* label = qobject_cast<QLabel*>(Control(control));
  if (!label) return;
  const bool told = QAccessible::isActive();
  const std::vector<TAccessible> before = told ? AccessibleControls() : std::vector<TAccessible>{};
  const QString shown = FromText(text);
  if (const TControlRow* row = layout_.Find(control))
    label->setFont(LabelFont(RowFont(layout_, *row), shown));
  label->setText(shown);  // the label itself tells its new name
  label->adjustSize();  // labels size themselves to their text
  if (!told) return;
  // Others are named or described by its text too: a picture button by its label.
  const std::vector<TAccessible> after = AccessibleControls();
  for (const TAccChange& c : AccessibleChanges(before, after)) {
    QWidget* w = Control(layout_.Controls[c.Index].Id);
    if (c.Name && w != label) TellNameChanged(w);  // a label tells its own
    if (c.Description) TellDescriptionChanged(w);
    if (c.Announce) Announce(w, after[c.Index].Name);
  }
}

void QtForm::SetHint(int control, const std::string& hint) {
  auto* w = Control(control);
  if (!w) return;
  const bool told = QAccessible::isActive();
  const std::string before = told ? Accessible(control).Description : std::string();
  SetHintText(control, hint);
  if (told && Accessible(control).Description != before) TellDescriptionChanged(w);
}

int QtForm::IdOf(const QWidget* w) const {
  for (const auto& [id, control] : controls_)
    if (control == w) return id;
  return -1;
}

std::string QtForm::Caption() const {
  // Undoes WindowTitle's escape of "[*]".
  return windowTitle().replace(QStringLiteral("[*][*]"), QStringLiteral("[*]")).toStdString();
}

std::string QtForm::CurrentText(int control) const {
  QWidget* w = Control(control);
  if (auto* label = qobject_cast<QLabel*>(w)) return label->text().toStdString();
  if (auto* button = qobject_cast<QAbstractButton*>(w)) return button->text().toStdString();
  const TControlRow* row = layout_.Find(control);
  return row ? row->Text : "";
}

TAccessible QtForm::Accessible(int control) const {
  const TControlRow* row = layout_.Find(control);
  if (!row) return {};
  return ControlAccessible(
      layout_, *row, [this](int id) { return CurrentText(id); },
      [this](int id) {
        const auto it = hints_.find(id);
        return it != hints_.end() ? it->second : std::string();
      });
}

std::vector<TAccessible> QtForm::AccessibleControls() const {
  std::vector<TAccessible> all;
  for (const TControlRow& row : layout_.Controls) all.push_back(Accessible(row.Id));
  return all;
}

// A hint becomes its tooltip when first asked for: breaking its lines
// measures them in the tooltip's font, which nothing else in the window
// uses, and loading that font would hold up the first frame.
void QtForm::SetHintText(int control, const std::string& hint) {
  QWidget* w = Control(control);
  hints_[control] = hint;
  w->setToolTip(QString());
  w->installEventFilter(this);  // once: installing it again only moves it first
}

bool QtForm::eventFilter(QObject* watched, QEvent* e) {
  if (e->type() == QEvent::ToolTip && watched->isWidgetType()) {
    auto* w = static_cast<QWidget*>(watched);
    // Made once; setToolTip keeps it until the hint changes.
    if (const auto it = hints_.find(IdOf(w)); w->toolTip().isEmpty() && it != hints_.end() &&
                                              !it->second.empty())
      w->setToolTip(TooltipMarkup(FromText(it->second)));
  }
  return QWidget::eventFilter(watched, e);
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
  if (!placed_) {
    placed_ = true;
    if (QScreen* screen = QGuiApplication::primaryScreen()) {
      const QRect g = screen->geometry();
      const QSize frame = frameGeometry().size();
      if (const auto at = FirstPlace(layout_, {frame.width(), frame.height()},
                                     {g.x(), g.y(), g.width(), g.height()}))
        move(at->X, at->Y);
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
