#include "frontend/qt/QtAccessible.h"

#include <QAbstractButton>
#include <QAbstractScrollArea>
#include <QAccessibleWidget>
#include <QPushButton>

#include <optional>

#include "frontend/qt/QtForm.h"
#include "frontend/qt/QtMessageDialog.h"

namespace ui::qt {

QAccessible::Role ToQtRole(TAccRole role) {
  switch (role) {
    case TAccRole::Frame: return QAccessible::Window;  // AT-SPI "frame"
    case TAccRole::Dialog: return QAccessible::Dialog;
    case TAccRole::Alert: return QAccessible::AlertMessage;
    case TAccRole::PushButton: return QAccessible::PushButton;
    case TAccRole::RadioButton: return QAccessible::RadioButton;
    case TAccRole::Label: return QAccessible::StaticText;
    case TAccRole::StatusLine: return QAccessible::StatusBar;
    case TAccRole::Picture: return QAccessible::Graphic;
    case TAccRole::Text: return QAccessible::EditableText;
    case TAccRole::Panel: return QAccessible::Pane;
    case TAccRole::Animation: return QAccessible::Animation;
  }
  return QAccessible::Client;
}

namespace {

using TDescribe = std::optional<TAccessible> (*)(const QWidget*);

// A widget as the table describes it, asked afresh each time: the names
// follow texts the program changes, and a widget asked for while its window
// is still being made is found once it is made. Without a row the widget
// answers as Qt would. Buttons keep what Qt's own interface gives them:
// their states and the press action.
class TableAccessible : public QAccessibleWidget {
 public:
  TableAccessible(QWidget* w, TDescribe describe)
      : QAccessibleWidget(w), describe_(describe) {}

  QAccessible::Role role() const override {
    const auto a = Describe();
    return a ? ToQtRole(a->Role) : QAccessibleWidget::role();
  }

  QString text(QAccessible::Text t) const override {
    if (t == QAccessible::Name || t == QAccessible::Description) {
      if (const auto a = Describe())
        return QString::fromStdString(t == QAccessible::Name ? a->Name : a->Description);
    }
    return QAccessibleWidget::text(t);
  }

  QAccessible::State state() const override {
    QAccessible::State s = QAccessibleWidget::state();
    if (const auto a = Describe(); a && a->Hidden) s.invisible = true;
    if (auto* b = Button()) {
      s.pressed = b->isDown();
      s.checkable = b->isCheckable();
      s.checked = b->isChecked();
      if (auto* p = qobject_cast<QPushButton*>(b)) s.defaultButton = p->isDefault();
    }
    return s;
  }

  QStringList actionNames() const override {
    QStringList names = QAccessibleWidget::actionNames();
    if (Button() && widget()->isEnabled()) names.prepend(pressAction());
    return names;
  }

  void doAction(const QString& action) override {
    if (action == pressAction()) {
      if (auto* b = Button(); b && b->isEnabled()) b->click();
      return;
    }
    QAccessibleWidget::doAction(action);
  }

 private:
  QAbstractButton* Button() const { return qobject_cast<QAbstractButton*>(widget()); }
  std::optional<TAccessible> Describe() const {
    const QWidget* w = widget();
    return w ? describe_(w) : std::nullopt;
  }

  TDescribe describe_;
};

std::optional<TAccessible> FormPart(const QWidget* w) {
  // Nothing once the window is being destroyed: it is then a QtForm no more.
  const auto* form = qobject_cast<const QtForm*>(w->window());
  if (!form) return std::nullopt;
  if (w == form) return WindowAccessible(form->Layout(), form->Caption());
  const int id = form->IdOf(w);
  if (id < 0) return std::nullopt;
  return form->Accessible(id);
}

std::optional<TAccessible> DialogPart(const QWidget* w) {
  const auto* dialog = qobject_cast<const QtMessageDialog*>(w->window());
  if (!dialog) return std::nullopt;
  int button = -1;
  TDialogPart part = TDialogPart::Button;
  if (w == dialog) part = TDialogPart::Window;
  else if (w->objectName() == QLatin1String("Image")) part = TDialogPart::Icon;
  else if (w->objectName() == QLatin1String("Message")) part = TDialogPart::Text;
  else if ((button = dialog->ButtonIndex(w)) < 0) return std::nullopt;
  return DialogAccessible(dialog->Layout(), part, button);
}

// Orca (43) drops a name change of an object without the focus, as the
// status line always is, but speaks a notification as it shows, and one
// inside a status bar as its news. Qt 6.4 has no announcement event.
constexpr char kAnnouncement[] = "Announcement";

QAccessibleInterface* Factory(const QString&, QObject* object) {
  if (!object->isWidgetType()) return nullptr;
  auto* w = static_cast<QWidget*>(object);
  if (w->objectName() == QLatin1String(kAnnouncement))
    return new QAccessibleWidget(w, QAccessible::Notification);
  QWidget* const top = w->window();
  // A memo, and the parts Qt puts inside one, keep Qt's own: the memo's
  // text is a document to read.
  for (QWidget* p = w; p && p != top; p = p->parentWidget())
    if (qobject_cast<QAbstractScrollArea*>(p)) return nullptr;
  if (qobject_cast<QtForm*>(top)) return new TableAccessible(w, FormPart);
  if (qobject_cast<QtMessageDialog*>(top)) return new TableAccessible(w, DialogPart);
  return nullptr;
}

void Tell(QWidget* w, QAccessible::Event what) {
  if (!QAccessible::isActive()) return;
  QAccessibleEvent event(w, what);
  QAccessible::updateAccessibility(&event);
}

}  // namespace

void InstallAccessibility() {
  static bool installed = false;
  if (installed) return;
  installed = true;
  QAccessible::installFactory(Factory);
}

void TellNameChanged(QWidget* w) { Tell(w, QAccessible::NameChanged); }
void TellDescriptionChanged(QWidget* w) { Tell(w, QAccessible::DescriptionChanged); }

// The notification never shows on the screen: it is hidden and shown only
// to the screen reader, which reads its name.
void Announce(QWidget* w, const std::string& text) {
  if (!QAccessible::isActive()) return;
  auto* news = w->findChild<QWidget*>(QLatin1String(kAnnouncement), Qt::FindDirectChildrenOnly);
  if (!news) {
    news = new QWidget(w);
    news->setObjectName(QLatin1String(kAnnouncement));
    news->hide();
  }
  news->setAccessibleName(QString::fromStdString(text));
  Tell(news, QAccessible::ObjectHide);
  Tell(news, QAccessible::ObjectShow);
}

}  // namespace ui::qt
