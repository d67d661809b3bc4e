// The Qt front end on the offscreen platform: the main window as drawn from
// its layout, the keyboard of the message dialog, and events reaching the form.

#include <QAccessible>
#include <QApplication>
#include <QClipboard>
#include <QDir>
#include <QFile>
#include <QLabel>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QScopeGuard>
#include <QTemporaryDir>
#include <QTextDocument>
#include <QWindow>
#include <QTimer>
#include <QToolTip>
#include <QtTest>

#include <cstring>
#include <functional>
#include <map>
#include <memory>

#include "config/Common.h"
#include "config/IniF.h"
#include "frontend/qt/QtAccessible.h"
#include "frontend/qt/QtControls.h"
#include "frontend/qt/QtInfoForm.h"
#include "frontend/qt/QtMainWindow.h"
#include "frontend/qt/QtMessageDialog.h"
#include "frontend/qt/QtStyle.h"
#include "help/Help.h"
#include "ui/Application.h"
#include "ui/F_740.h"
#include "ui/F_FBInstallHelp.h"
#include "ui/F_SelSrv.h"
#include "ui/F_Ver.h"
#include "ui/Pictures.h"
#include "../AllLayouts.h"
#include "../Contrast.h"
#include "../KeyboardForms.h"

using namespace ui;
using namespace ui::qt;

namespace {

struct RecordingProvider : help::THelpProvider {
  QList<int>* topics;
  explicit RecordingProvider(QList<int>* t) : topics(t) {}
  bool Loaded() const override { return true; }
  void ShowContents() override {}
  void ShowTopic(std::int32_t c) override { topics->append(c); }
};

// Runs `action` on the next modal dialog once it is up.
void OnNextModal(std::function<void(QWidget*)> action) {
  auto* timer = new QTimer;
  timer->setInterval(10);
  QObject::connect(timer, &QTimer::timeout, [timer, action] {
    // Once the dialog holds the focus: on a busy machine it can exist a tick
    // before its first control takes it.
    QWidget* w = QApplication::activeModalWidget();
    QWidget* f = QApplication::focusWidget();
    if (w && f && (f == w || w->isAncestorOf(f))) {
      timer->stop();
      timer->deleteLater();
      action(w);
    }
  });
  timer->start();
}

// A control as drawn, in one line: name, place, size, text, shown or not.
QString Drawn(const char* name, const QRect& r, const QString& text, bool shown) {
  return QStringLiteral("%1 %2,%3 %4x%5 \"%6\" %7")
      .arg(QString::fromUtf8(name))
      .arg(r.x()).arg(r.y()).arg(r.width()).arg(r.height())
      .arg(text, shown ? QStringLiteral("shown") : QStringLiteral("hidden"));
}

QString ControlText(QWidget* w) {
  if (auto* label = qobject_cast<QLabel*>(w)) return label->text();
  if (auto* button = qobject_cast<QAbstractButton*>(w)) return button->text();
  if (auto* memo = qobject_cast<QPlainTextEdit*>(w)) return memo->toPlainText();
  return QString();
}

// A tooltip as it reads on the screen, asked for as the pointer would.
QString TipText(QWidget* w) {
  QHelpEvent ask(QEvent::ToolTip, QPoint(1, 1), w->mapToGlobal(QPoint(1, 1)));
  QApplication::sendEvent(w, &ask);
  QToolTip::hideText();
  QTextDocument doc;
  doc.setHtml(w->toolTip());
  return doc.toPlainText();
}

// What a screen reader hears: role and name, and of `w` its description
// when asked.
QString Heard(QAccessible::Role role, const QString& name) {
  return QStringLiteral("%1 \"%2\"").arg(
      QLatin1String(QMetaEnum::fromType<QAccessible::Role>().valueToKey(role)), name);
}

QString Heard(QObject* w, bool description = false) {
  QAccessibleInterface* a = QAccessible::queryAccessibleInterface(w);
  if (!a) return QStringLiteral("none");
  const QString s = Heard(a->role(), a->text(QAccessible::Name));
  return description ? s + QStringLiteral(" (%1)").arg(a->text(QAccessible::Description)) : s;
}

QString ModalText(QWidget* dialog) {
  auto* text = dialog->findChild<QWidget*>(QStringLiteral("Message"));
  return text ? text->property("text").toString() : QString();
}

}  // namespace

class QtFrontEndTest : public QObject {
  Q_OBJECT

 private:
  QTemporaryDir disc_;
  QtDialogs dialogs_;
  bool focused = false;

  void WriteIni(const QByteArray& text) {
    QFile f(disc_.filePath(QStringLiteral("setup.ini")));
    QVERIFY(f.open(QIODevice::WriteOnly | QIODevice::Truncate));
    f.write(text);
  }

  struct Menu {
    QtMainWindow window;
    TSKDSetupForm form;
    explicit Menu(dialogs::IDialogs& d) : window(d), form(window.Deps()) {
      window.Attach(form);
      form.FormCreate();
    }
    QLabel* Label(int id) { return qobject_cast<QLabel*>(window.Control(id)); }
  };

 private slots:
  void initTestCase() {
    InstallAccessibility();
    QVERIFY(ApplyStyle(QString::fromUtf8(kStyleName)));
    QVERIFY(!ApplyStyle(QStringLiteral("Amethyst Kamri 2")));
  }

  void init() {
    common::ResetSettings();
    Application.Reset();
    Application.Title = "Окно диска";
    common::ProgramDir = QDir::toNativeSeparators(disc_.path()).toStdString() + "/";
  }

  void cleanup() {
    help::HelpProvider.reset();
    common::ResetSettings();
  }

  void mainWindowGeometryAndTexts() {
    WriteIni("[SETUP]\nWindowName=Диск\n[PRG]\nName=Программа СКУД\nLocation=s.sh\n"
             "SetupHint=Поставить СКУД\n[DATE]\nDate=2026, декабрь\n");
    common::WindowName = "Диск СКУД";
    common::SystemName = "Система СКУД ";
    Menu m(dialogs_);
    const QSize outer(482 + 4, 281 + 4);
    QCOMPARE(m.window.size(), outer);
    QCOMPARE(m.window.minimumSize(), outer);
    QCOMPARE(m.window.maximumSize(), outer);
    QCOMPARE(m.window.Client()->geometry(), QRect(2, 2, 482, 281));
    QCOMPARE(m.window.windowTitle(), QStringLiteral("Диск СКУД"));
    QVERIFY(!(m.window.windowFlags() & Qt::WindowMinimizeButtonHint));
    QVERIFY(!(m.window.windowFlags() & Qt::WindowMaximizeButtonHint));

    struct {
      int id;
      QPoint pos;
    } places[] = {{SoftLabel, {121, 150}}, {SoftSetupRXSB, {72, 130}}, {ViewRxSB, {168, 222}},
                  {Label1, {217, 244}},    {StatusLabel, {22, 65}},    {DocRxSB, {168, 181}},
                  {Label2, {217, 201}},    {Image1, {328, 8}},         {Image2, {303, 8}},
                  {DateLabel, {22, 88}}};
    for (const auto& p : places) QCOMPARE(m.window.Control(p.id)->pos(), p.pos);
    QCOMPARE(m.window.Control(SoftSetupRXSB)->size(), QSize(35, 35));
    QVERIFY(m.window.Control(Image1)->isHidden());
    QVERIFY(!m.window.Control(Image2)->isHidden());

    QCOMPARE(m.Label(SoftLabel)->text(), QStringLiteral("Программа СКУД"));
    QCOMPARE(m.Label(StatusLabel)->text(), QStringLiteral("Система СКУД "));
    QCOMPARE(m.Label(DateLabel)->text(), QStringLiteral("2026, декабрь"));
    QCOMPARE(m.Label(Label1)->text(), QStringLiteral("Обзор содержимого диска"));
    QCOMPARE(TipText(m.window.Control(SoftSetupRXSB)), QStringLiteral("Поставить СКУД"));
    QCOMPARE(TipText(m.window.Control(DocRxSB)), QStringLiteral("Руководство оператора"));
    QCOMPARE(m.Label(SoftLabel)->font().pixelSize(), 12);
    QVERIFY(m.Label(SoftLabel)->font().bold());
    QCOMPARE(m.Label(StatusLabel)->font().pixelSize(), 15);
    QCOMPARE(m.Label(SoftLabel)->palette().color(QPalette::WindowText), QColor(0, 0, 128));
    QVERIFY(m.Label(DateLabel)->autoFillBackground());
    QVERIFY(!m.Label(SoftLabel)->autoFillBackground());
    for (int id : {SoftSetupRXSB, ViewRxSB, DocRxSB}) {
      QCOMPARE(m.window.Control(id)->focusPolicy(), Qt::NoFocus);
      QCOMPARE(m.window.Control(id)->cursor().shape(), Qt::PointingHandCursor);
    }
  }

  void mainWindowWithoutDateOrHint() {
    WriteIni("[PRG]\nName=П\nLocation=s.sh\n");
    Menu m(dialogs_);
    QCOMPARE(m.Label(DateLabel)->text(), QString());
    QCOMPARE(TipText(m.window.Control(SoftSetupRXSB)), QStringLiteral("Выполнить установку"));

    // A label draws every character of its text; only one its own font
    // lacks (this bold A) brings in the fallback fonts.
    for (const auto& [text, fallback] : {std::pair{"Система СКУД 4.2", false}, {"Система 𝐀", true}}) {
      m.window.SetText(StatusLabel, text);
      const QFont font = m.Label(StatusLabel)->font();
      for (const char32_t c : QString::fromUtf8(text).toUcs4())
        QVERIFY(QFontMetrics(font).inFontUcs4(c));
      QCOMPARE(!(font.styleStrategy() & QFont::NoFontMerging), fallback);
    }
  }

  // Nothing from setup.ini is read as markup: not in the labels, the
  // caption or the tooltip, where an image would be read from the path it
  // names (/dev/zero without end) and a <nobr> would run off the screen.
  void setupIniTextsArePlainText() {
    const QString hostile[] = {
        QStringLiteral("<img src=\"/dev/zero\">"),
        QStringLiteral("<b>жирный</b> <font color=red size=7>красный</font> &amp; [*]"),
        QStringLiteral("<nobr>") + QStringLiteral("слово ").repeated(200) + QStringLiteral("</nobr>"),
    };
    for (const QString& text : hostile) {
      const QByteArray v = text.toUtf8();
      WriteIni("[SETUP]\nWindowName=" + v + "\n[PRG]\nName=" + v + "\nLocation=s.sh\nSetupHint=" +
               v + "\n[DATE]\nDate=" + v + "\n");
      common::ResetSettings();
      common::ProgramDir = QDir::toNativeSeparators(disc_.path()).toStdString() + "/";
      inif::LoadSetupNames();
      Menu m(dialogs_);
      for (int id : {SoftLabel, DateLabel}) {
        QCOMPARE(m.Label(id)->textFormat(), Qt::PlainText);
        QCOMPARE(m.Label(id)->text(), text);
      }
      m.window.winId();  // the title as the window system gets it
      QCOMPARE(m.window.windowHandle()->title(), text);
      QWidget* button = m.window.Control(SoftSetupRXSB);
      QCOMPARE(TipText(button), TooltipText(text));
      QToolTip::showText(button->mapToGlobal(QPoint(0, 0)), button->toolTip(), button);
      QWidget* tip = nullptr;
      for (QWidget* w : QApplication::topLevelWidgets())
        if (w->objectName() == QStringLiteral("qtooltip_label") && w->isVisible()) tip = w;
      QVERIFY(tip);
      QVERIFY2(tip->width() <= kTooltipWidth + 40, qPrintable(QString::number(tip->width())));
      QToolTip::hideText();
    }
  }

  void longSoftwareNameWidensTheLabelOnly() {
    const QByteArray name = QString(QStringLiteral("Очень длинное имя ")).repeated(6).toUtf8();
    WriteIni("[PRG]\nName=" + name + "\nLocation=s.sh\n");
    Menu m(dialogs_);
    QVERIFY(m.Label(SoftLabel)->width() > 246);
    QCOMPARE(m.Label(SoftLabel)->pos(), QPoint(121, 150));
    QCOMPARE(m.window.size(), QSize(486, 285));
  }

  void closeQuestionAnsweredByKeys() {
    WriteIni("[PRG]\nName=П\nLocation=s.sh\n");
    Menu m(dialogs_);
    m.window.show();
    QVERIFY(QTest::qWaitForWindowExposed(&m.window));

    QString caption, text;
    QStringList heard;
    OnNextModal([&](QWidget* d) {
      caption = d->windowTitle();
      text = ModalText(d);
      for (const char* part : {"", "Image", "Message", "Button0"})
        heard << Heard(*part ? d->findChild<QWidget*>(QLatin1String(part)) : d, true);
      QTest::keyClick(d, Qt::Key_Escape);
    });
    QVERIFY(!m.window.close());
    QCOMPARE(caption, QStringLiteral("Завершение работы"));
    QCOMPARE(text, QStringLiteral("Закрыть программу?"));
    QCOMPARE(heard, (QStringList{
                        QStringLiteral("AlertMessage \"Завершение работы\" ()"),
                        QStringLiteral("Graphic \"Вопрос\" ()"),
                        QStringLiteral("StaticText \"Закрыть программу?\" ()"),
                        QStringLiteral("Button \"Да\" ()")}));
    QVERIFY(m.window.isVisible());

    OnNextModal([](QWidget* d) { QTest::keyClick(d, Qt::Key_Return); });
    QVERIFY(m.window.close());
    QVERIFY(!m.window.isVisible());
  }

  // After Tab the focus leaves the default button "Да" for "Нет": what
  // changes on "Нет" is its focus mark, at 3:1 or more against the face it
  // is drawn on, so the two can be told apart.
  void closeQuestionShowsTheFocus() {
    WriteIni("[PRG]\nName=П\nLocation=s.sh\n");
    Menu m(dialogs_);
    m.window.show();
    QImage before, after;
    QRect no;
    OnNextModal([&](QWidget* d) {
      before = d->grab().toImage().convertToFormat(QImage::Format_RGB32);
      QTest::keyClick(d, Qt::Key_Tab);
      auto* focused = qobject_cast<QPushButton*>(d->focusWidget());
      if (focused && !focused->isDefault()) no = focused->geometry();
      after = d->grab().toImage().convertToFormat(QImage::Format_RGB32);
      QTest::keyClick(d, Qt::Key_Escape);
    });
    QVERIFY(!m.window.close());
    QVERIFY(!no.isEmpty());
    int changed = 0;
    double weakest = 21;
    for (int y = no.top(); y <= no.bottom(); ++y)
      for (int x = no.left(); x <= no.right(); ++x) {
        const QRgb was = before.pixel(x, y), is = after.pixel(x, y);
        if (was == is) continue;
        ++changed;
        weakest = std::min(weakest, Contrast(was & 0xFFFFFF, is & 0xFFFFFF));
      }
    QVERIFY2(changed >= no.width(), qPrintable(QString::number(changed)));
    QVERIFY2(weakest >= 3, qPrintable(QString::number(weakest)));
  }

  void closeQuestionNoButton() {
    WriteIni("[PRG]\nName=П\nLocation=s.sh\n");
    Menu m(dialogs_);
    m.window.show();
    OnNextModal([](QWidget* d) {
      auto* no = d->findChild<QPushButton*>(QStringLiteral("Button1"));
      QVERIFY(no);
      QCOMPARE(no->text(), QStringLiteral("Нет"));
      QTest::mouseClick(no, Qt::LeftButton);
    });
    QVERIFY(!m.window.close());
  }

  void f1ReachesFormHelpWithContext10() {
    WriteIni("[PRG]\nName=П\nLocation=s.sh\n");
    Menu m(dialogs_);
    QList<int> topics;
    help::HelpProvider = std::make_unique<RecordingProvider>(&topics);
    m.window.show();
    QVERIFY(QTest::qWaitForWindowActive(&m.window));
    QTest::keyClick(&m.window, Qt::Key_F1);
    QCOMPARE(topics, QList<int>{10});
  }

  void messageDialogKeyboard_data() {
    QTest::addColumn<int>("buttons");
    QTest::addColumn<int>("key");
    QTest::addColumn<int>("result");
    QTest::newRow("OK Enter") << 4 << int(Qt::Key_Return) << 1;
    QTest::newRow("OK Esc") << 4 << int(Qt::Key_Escape) << 1;
    QTest::newRow("YesNo Enter") << 3 << int(Qt::Key_Enter) << 6;
    QTest::newRow("YesNo Esc") << 3 << int(Qt::Key_Escape) << 7;
    QTest::newRow("OKCancel Esc") << 12 << int(Qt::Key_Escape) << 2;
  }

  void messageDialogKeyboard() {
    QFETCH(int, buttons);
    QFETCH(int, key);
    QFETCH(int, result);
    dialogs::TMessageDialogRequest r;
    r.Text = "Строка 1\rСтрока 2";
    r.Kind = dialogs::mtWarning;
    r.Buttons = static_cast<dialogs::TMsgDlgButtons>(buttons);
    int got = -1;
    OnNextModal([&](QWidget* d) { QTest::keyClick(d, static_cast<Qt::Key>(key)); });
    got = dialogs_.ShowMessageDialog(r);
    QCOMPARE(got, result);
  }

  void messageDialogCopiesItsDump() {
    dialogs::TMessageDialogRequest r;
    r.Text = "Невозможно выполнить\rвторая строка";
    r.Kind = dialogs::mtCustom;
    r.Buttons = dialogs::mbYesNo;
    QString caption, clip;
    QRect yes;
    QSize client;
    OnNextModal([&](QWidget* d) {
      caption = d->windowTitle();
      client = d->size();
      yes = d->findChild<QPushButton*>(QStringLiteral("Button0"))->geometry();
      QVERIFY(d->findChild<QPushButton*>(QStringLiteral("Button0"))->hasFocus());
      QVERIFY(!d->findChild<QLabel*>(QStringLiteral("Image")));  // kind 5: no icon
      QTest::keyClick(d, Qt::Key_C, Qt::ControlModifier);
      clip = QGuiApplication::clipboard()->text();
      QTest::keyClick(d, Qt::Key_Escape);
    });
    QCOMPARE(dialogs_.ShowMessageDialog(r), 7);
    QCOMPARE(caption, QStringLiteral("Окно диска"));
    const QString line = QStringLiteral("---------------------------\r\n");
    QCOMPARE(clip, line + "Окно диска\r\n" + line + "Невозможно выполнить\rвторая строка\r\n" +
                       line + "Да   Нет   \r\n" + line);

    QtDialogMetrics metrics(MessageFont());
    const auto layout = dialogs::BuildMessageDialog(r, metrics, Application.Title);
    QCOMPARE(client, QSize(layout.ClientWidth, layout.ClientHeight));
    const auto& b = layout.Buttons[0].Bounds;
    QCOMPARE(yes, QRect(b.Left, b.Top, b.Width, b.Height));
  }

  // A word wider than half the screen is broken inside it, and a long hint
  // into lines; what fits stays as it was.
  void longTextsStayOnTheScreen() {
    QtDialogMetrics metrics(MessageFont());
    const QFontMetrics fm(MessageFont());
    const std::string fits = "Невозможно выполнить \"Программа\":\rфайл приложения не найден.";
    const QRect old = fm.boundingRect(QRect(0, 0, 512, 0), kMessageTextFlags, FromText(fits));
    QCOMPARE(metrics.WrappedTextSize(fits, 512), (dialogs::TSize{old.width(), old.height()}));
    const auto size = metrics.WrappedTextSize("Невозможно выполнить \"" + std::string(2047, 'W') + "\"", 512);
    QVERIFY(size.cx <= 512);
    QVERIFY(size.cy > 20 * fm.height());

    const QString hint = QString(2047, QChar('x'));
    const QStringList lines = TooltipText(QStringLiteral("short ") + hint).split(QChar('\n'));
    QVERIFY(lines.size() > 10);
    for (const QString& l : lines) QVERIFY(QFontMetrics(QToolTip::font()).horizontalAdvance(l) <= kTooltipWidth);
    QCOMPARE(lines.join(QString()).remove(QChar(' ')), QStringLiteral("short") + hint);
    QCOMPARE(TooltipText(QStringLiteral("Выполнить установку")), QStringLiteral("Выполнить установку"));
  }

  void noRightsWindow() {
    QtForm form(About740Layout());
    QCOMPARE(form.windowTitle(), QStringLiteral("Нет прав на запуск приложения"));
    QCOMPARE(form.size(), QSize(500, 642));
    auto* memo1 = qobject_cast<QPlainTextEdit*>(form.Control(Memo1));
    auto* memo2 = qobject_cast<QPlainTextEdit*>(form.Control(Memo2));
    QVERIFY(memo1 && memo2);
    QVERIFY(!memo1->isReadOnly());
    QVERIFY(memo1->toPlainText().contains(QStringLiteral("будет выдан запрос или нет – зависит от параметров \n")));
    QVERIFY(memo2->toPlainText().endsWith(QStringLiteral("не попросит.\n")));
    auto* close = qobject_cast<QPushButton*>(form.Control(CancelBitBtn));
    QVERIFY(close);
    QCOMPARE(form.Control(Image1_740)->size(), QSize(500, 368));

    int result = -1;
    QTimer::singleShot(50, [&] {
      focused = QApplication::focusWidget() == memo1;
      QTest::keyClick(memo1, Qt::Key_Escape);
    });
    result = form.ShowModal();
    QCOMPARE(result, 2);
    QVERIFY(focused);

    QTimer::singleShot(50, [&] { QTest::mouseClick(close, Qt::LeftButton); });
    QCOMPARE(form.ShowModal(), 2);
  }

  // Each form with the keys alone: Tab round the chain, Enter on each push
  // button, Esc; the same table the Win32 front end is held to.
  void formsByKeysAlone() {
    using namespace keyboard_forms;
    for (const TKeyForm& k : KeyForms()) {
      QtForm form(k.Layout());
      form.OnClick = [&form](int id) { form.EndModal(kClicked + id); };
      QList<int> chain, checked;
      QTimer::singleShot(0, &form, [&] {
        QVERIFY(QTest::qWaitForWindowActive(&form));
        for (std::size_t i = 0; i <= k.TabChain.size(); ++i) {
          QWidget* w = QApplication::focusWidget();
          int id = -1;
          for (const TControlRow& row : k.Layout().Controls)
            if (form.Control(row.Id) == w) id = row.Id;
          chain << id;
          QTest::keyClick(w ? w : &form, Qt::Key_Tab);
        }
        // Down to the group's end and one more, then Up as far back, as on Win32.
        form.Control(k.TabChain.front())->setFocus();
        for (std::size_t i = 0; !k.Down.empty() && i < 2 * k.Down.size() + 2; ++i) {
          QTest::keyClick(QApplication::focusWidget(), i <= k.Down.size() ? Qt::Key_Down : Qt::Key_Up);
          checked << form.CheckedRadio();
        }
        form.EndModal(-2);
      });
      form.ShowModal();
      QList<int> expected(k.TabChain.begin(), k.TabChain.end());
      expected << k.TabChain.front();
      QCOMPARE(chain, expected);
      QList<int> walk(k.Down.begin(), k.Down.end());
      walk << QList<int>(k.Down.rbegin(), k.Down.rend());
      if (!walk.empty()) walk << k.TabChain.front() << k.TabChain.front();
      QCOMPARE(checked, walk);

      // Keys go to the focused control of the active window.
      const auto press = [&form](QWidget* focus, Qt::Key key) {
        QTimer::singleShot(0, &form, [&form, focus, key] {
          QVERIFY(QTest::qWaitForWindowActive(&form));
          focus->setFocus();
          QTest::keyClick(focus, key);
          QTimer::singleShot(50, &form, [&form] { form.EndModal(kStaysOpen); });
        });
        return form.ShowModal();
      };
      for (auto [button, result] : k.EnterOn)
        QCOMPARE(press(form.Control(button), Qt::Key_Return), result);

      QCOMPARE(press(form.Control(k.TabChain.front()), Qt::Key_Escape), k.Escape);
    }
  }

  // Every row of every layout as its table says: at its place (at its size
  // where the table fixes it), with its text, shown or hidden, and in its
  // turn round the focus chain.
  void everyLayoutRowAsTheTableSays() {
    using namespace all_layouts;
    for (const TFormLayout* layout : AllLayouts()) {
      QtForm form(*layout);
      QStringList chain{QString::fromUtf8(layout->Name)}, expected = chain;
      for (const TControlRow& row : layout->Controls) {
        QWidget* w = form.Control(row.Id);
        QVERIFY(w);
        const QSize size = SizedByTable(row.Kind) ? QSize(row.Width, row.Height) : w->size();
        QCOMPARE(Drawn(row.Name, w->geometry(), ControlText(w), !w->isHidden()),
                 Drawn(row.Name, QRect(QPoint(row.Left, row.Top), size), FromText(row.Text),
                       row.Visible));
      }
      // The chain is a ring: read once round from the first turn.
      const std::vector<int> turns = TabChain(*layout);
      QWidget* const first = turns.empty() ? &form : form.Control(turns.front());
      QWidget* w = first;
      do {
        for (const TControlRow& row : layout->Controls)
          if (form.Control(row.Id) == w && (w->focusPolicy() & Qt::TabFocus)) chain << row.Name;
        w = w->nextInFocusChain();
      } while (w != first);
      for (int id : turns) expected << layout->Find(id)->Name;
      QCOMPARE(chain, expected);
    }
  }

  // Each window as a screen reader hears it, from the table both front
  // ends are held to.
  void accessibleAsTheTableSays() {
    std::map<const TFormLayout*, std::unique_ptr<QtForm>> forms;
    for (const auto& e : all_layouts::kAccessibleTable) {
      auto& form = forms[&e.Layout()];
      if (!form) form = std::make_unique<QtForm>(e.Layout());
      QObject* w = e.Control < 0 ? form.get() : form->Control(e.Control);
      QCOMPARE(Heard(w), Heard(ToQtRole(e.Role), QString::fromUtf8(e.Name)));
    }
    // A memo stays a text to read.
    QtForm& about = *forms[&About740Layout()];
    QVERIFY(QAccessible::queryAccessibleInterface(about.Control(Memo1))->textInterface());
    // Each radio is described by the explanation under it.
    QtForm& selsrv = *forms[&SelectServerLayout()];
    QVERIFY(Heard(selsrv.Control(selsrv::RadioButton3), true)
                .endsWith(QStringLiteral("точками доступа с установленным в Конфигураторе "
                                         "аппаратуры флагом \"Передать принятие решения в ПО\".)")));
  }

  // The names follow what the program shows: setup.ini's texts and the
  // status line; the ribbon over the emblem is not told.
  void accessibleNamesFollowTheTexts() {
    WriteIni("[PRG]\nName=Программа СКУД\nLocation=s.sh\nSetupHint=Поставить СКУД\n");
    common::SystemName = "Система СКУД ";
    Menu m(dialogs_);
    QWidget* install = m.window.Control(SoftSetupRXSB);
    QCOMPARE(Heard(install, true), QStringLiteral("Button \"Программа СКУД\" (Поставить СКУД)"));
    m.window.SetHint(SoftSetupRXSB, "Другая подсказка");
    m.window.SetText(StatusLabel, "Идет установка ...");
    QCOMPARE(Heard(install, true), QStringLiteral("Button \"Программа СКУД\" (Другая подсказка)"));
    QCOMPARE(Heard(m.window.Control(StatusLabel)), QStringLiteral("StatusBar \"Идет установка ...\""));
    m.window.show();
    const auto invisible = [](QWidget* w) {
      return QAccessible::queryAccessibleInterface(w)->state().invisible;
    };
    QVERIFY(invisible(m.window.Control(Image1)));
    QVERIFY(!invisible(m.window.Control(Image2)));
    // The picture buttons take no focus: a screen reader presses them.
    QtForm bare(MainLayout());
    int clicked = -1;
    bare.OnClick = [&clicked](int id) { clicked = id; };
    QAccessibleInterface* a = QAccessible::queryAccessibleInterface(bare.Control(ViewRxSB));
    QVERIFY(a && a->actionInterface());
    a->actionInterface()->doAction(QAccessibleActionInterface::pressAction());
    QCOMPARE(clicked, int(ViewRxSB));
  }

  void selectServerDialog() {
    QtForm form(SelectServerLayout());
    QCOMPARE(form.windowTitle(), QStringLiteral("Выбор сервера для инсталляции"));
    QCOMPARE(form.size(), QSize(402, 506));
    QRadioButton* radio[4];
    const int ids[4] = {selsrv::RadioButton1, selsrv::RadioButton2, selsrv::RadioButton3,
                        selsrv::RadioButton4};
    for (int i = 0; i < 4; ++i) {
      radio[i] = qobject_cast<QRadioButton*>(form.Control(ids[i]));
      QVERIFY(radio[i]);
      QCOMPARE(radio[i]->isChecked(), i == 0);
      QCOMPARE(radio[i]->palette().color(QPalette::WindowText), QColor(0, 0, 128));
    }
    auto* label2 = qobject_cast<QLabel*>(form.Control(selsrv::Label2));
    QVERIFY(label2->text().contains(QStringLiteral("порты,   но и подключать аппаратуру \n")));
    QVERIFY(label2->text().endsWith(QStringLiteral("ЛВС объекта. ")));
    auto* cont = qobject_cast<QPushButton*>(form.Control(selsrv::ContinueBtn));
    auto* cancel = qobject_cast<QPushButton*>(form.Control(selsrv::CancelBtn));
    QVERIFY(!cont->isDefault() && !cont->autoDefault() && !cancel->isDefault());

    // One group: checking one unchecks the others; a label click checks nothing.
    QTest::mouseClick(radio[3], Qt::LeftButton, {}, QPoint(5, 8));
    QVERIFY(radio[3]->isChecked() && !radio[0]->isChecked());
    QTest::mouseClick(form.Client(), Qt::LeftButton, {}, QPoint(60, 260));
    QVERIFY(radio[3]->isChecked());
    QCOMPARE(form.CheckedRadio(), int(selsrv::RadioButton4));

    // Escape does nothing here: neither button is the cancel button.
    QTimer::singleShot(50, [&] {
      QTest::keyClick(&form, Qt::Key_Escape);
      QTimer::singleShot(50, [&] { QTest::mouseClick(cancel, Qt::LeftButton); });
    });
    QCOMPARE(form.ShowModal(), int(dialogs::mrCancel));
  }

  void versionDialog() {
    QList<int> topics;
    help::HelpProvider = std::make_unique<RecordingProvider>(&topics);
    bool checked = false;
    OnNextModal([&](QWidget* w) {
      auto* form = qobject_cast<QtForm*>(w);
      QVERIFY(form);
      auto closeOnFailure = qScopeGuard([&] { if (!checked) form->close(); });
      QCOMPARE(form->windowTitle(), QStringLiteral("О версии InterBase"));
      QCOMPARE(form->size(), QSize(369, 229));
      auto* ver = qobject_cast<QLabel*>(form->Control(ver::VerLabel));
      QCOMPARE(ver->text(), QStringLiteral("5"));
      QCOMPARE(ver->pos(), QPoint(72, 128));
      // Help and F1 leave the dialog open; Escape answers "Нет".
      QTest::mouseClick(form->Control(ver::HelpButton), Qt::LeftButton);
      QTest::keyClick(form, Qt::Key_F1);
      QVERIFY(form->isVisible());
      checked = true;
      QTest::keyClick(form, Qt::Key_Escape);
    });
    QVERIFY(!ShowVerDialog(dialogs_, "5"));
    QVERIFY(checked);
    QCOMPARE(topics, (QList<int>{100, 100}));

    OnNextModal([](QWidget* w) {
      QTest::mouseClick(qobject_cast<QtForm*>(w)->Control(ver::OkButton), Qt::LeftButton);
    });
    QVERIFY(ShowVerDialog(dialogs_, "???"));
  }

  void firebirdNotice() {
    QList<int> topics;
    help::HelpProvider = std::make_unique<RecordingProvider>(&topics);
    bool checked = false;
    OnNextModal([&](QWidget* w) {
      auto* form = qobject_cast<QtForm*>(w);
      QVERIFY(form);
      auto closeOnFailure = qScopeGuard([&] { if (!checked) form->close(); });
      QCOMPARE(form->windowTitle(), QStringLiteral("Полезная информация"));
      QCOMPARE(form->size(), QSize(336, 171));
      QCOMPARE(QApplication::focusWidget(), form->Control(fbhelp::HelpBtn));
      auto* label = qobject_cast<QLabel*>(form->Control(fbhelp::Label1));
      QVERIFY(label->text().startsWith(
          QStringLiteral("Перед установкой сервера FireBird Вы можете\nознакомиться  с  информацией")));
      QCOMPARE(form->Control(fbhelp::Image1)->geometry(), QRect(8, 16, 32, 32));
      QTest::mouseClick(form->Control(fbhelp::HelpBtn), Qt::LeftButton);
      QVERIFY(form->isVisible());
      // Escape does nothing: no button is the cancel button.
      QTest::keyClick(form, Qt::Key_Escape);
      QVERIFY(form->isVisible());
      checked = true;
      form->close();  // the frame's close box
    });
    QVERIFY(!ShowFBInstallHelp(dialogs_));
    QVERIFY(checked);
    QCOMPARE(topics, QList<int>{200});

    OnNextModal([](QWidget* w) {
      QTest::mouseClick(qobject_cast<QtForm*>(w)->Control(fbhelp::ContinueBtn), Qt::LeftButton);
    });
    QVERIFY(ShowFBInstallHelp(dialogs_));
  }

  void selectServerContinueWithEachVariant() {
    for (int variant = 1; variant <= 4; ++variant) {
      // Every selection opens at the first variant, whatever was chosen before.
      OnNextModal([variant](QWidget* w) {
        auto* form = qobject_cast<QtForm*>(w);
        QVERIFY(form);
        QCOMPARE(form->CheckedRadio(), int(selsrv::RadioButton1));
        const int ids[4] = {selsrv::RadioButton1, selsrv::RadioButton2, selsrv::RadioButton3,
                            selsrv::RadioButton4};
        QTest::mouseClick(form->Control(ids[variant - 1]), Qt::LeftButton, {}, QPoint(5, 8));
        QTest::mouseClick(form->Control(selsrv::ContinueBtn), Qt::LeftButton);
      });
      QCOMPARE(SelectServer(dialogs_), variant);
    }
    OnNextModal([](QWidget* w) { w->close(); });
    QCOMPARE(SelectServer(dialogs_), 0);
  }

  void progressWindowThroughShowInfo() {
    struct Reset {
      ~Reset() {
        HideInfo();
        SetInfoEnvironment({});
      }
    } reset;
    InstallInfoEnvironment();
    QElapsedTimer took;
    took.start();
    ShowInfo("DIZ_JSC.GDB");
    QVERIFY(took.elapsed() >= kInfoPauseMs);
    auto* form = dynamic_cast<QtInfoForm*>(InfoForm.get());
    QVERIFY(form);
    QPointer<QWidget> window(form);
    QCOMPARE(form->windowTitle(), QStringLiteral("Установка библиотек ..."));
    QCOMPARE(form->size(), QSize(288, 99));
    QCOMPARE(form->minimumSize(), form->maximumSize());
    const Qt::WindowFlags flags = form->windowFlags();
    QVERIFY(flags & Qt::WindowStaysOnTopHint);
    QVERIFY(!(flags & (Qt::WindowSystemMenuHint | Qt::WindowCloseButtonHint |
                       Qt::WindowMinimizeButtonHint | Qt::WindowMaximizeButtonHint)));
    QVERIFY(form->isVisible());
    QVERIFY(!form->isModal());
    QVERIFY(!QApplication::activeModalWidget());
    const QRect screen = QGuiApplication::primaryScreen()->geometry();
    QVERIFY((form->frameGeometry().center() - screen.center()).manhattanLength() <= 4);
    QCOMPARE(form->cursor().shape(), Qt::WaitCursor);

    QLabel* label = form->FileNameLabel();
    QCOMPARE(label->text(), QStringLiteral("DIZ_JSC.GDB"));
    QCOMPARE(label->pos(), QPoint(8, 8));
    QCOMPARE(label->size(), label->sizeHint());
    AnimationBox* animation = form->Animation();
    QVERIFY(animation);
    QCOMPARE(animation->geometry(), QRect(8, 32, 272, 60));
    QCOMPARE(animation->cursor().shape(), Qt::WaitCursor);
    QVERIFY(animation->Active());
    // The pause handles no event, yet the animation moved during it.
    QVERIFY(animation->Frame() != 0);
    const int frame = animation->Frame();
    QTest::qWait(300);
    QVERIFY(animation->Frame() != frame);

    // The next file reuses the window and shows its shorter name at once.
    const int wide = label->width();
    ShowInfo("A.DLL");
    QCOMPARE(InfoForm.get(), static_cast<IInfoForm*>(form));
    QCOMPARE(label->text(), QStringLiteral("A.DLL"));
    QVERIFY(label->width() < wide);
    QVERIFY(animation->Active());

    // The window ignores the window manager's close; only HideInfo ends it.
    form->close();
    QVERIFY(form->isVisible());
    HideInfo();
    QVERIFY(!InfoForm);
    QVERIFY(window.isNull());
  }

  void animationLoopsThroughItsFrames() {
    const QPixmap strip = LoadPicture(QStringLiteral("CopyFiles.png"));
    QCOMPARE(strip.height(), 60);
    QWidget parent;
    AnimationBox animation(strip, QSize(272, 60), &parent);
    QCOMPARE(animation.FrameCount(), strip.width() / 272);
    QVERIFY(animation.FrameCount() >= 12 && animation.FrameCount() <= 20);
    QCOMPARE(animation.cursor().shape(), Qt::WaitCursor);
    QVERIFY(!animation.Active());
    QTest::qWait(200);
    QCOMPARE(animation.Frame(), 0);

    // Each frame paints its own piece of the strip.
    const auto shown = [&] {
      return animation.grab().toImage().convertToFormat(QImage::Format_RGB32);
    };
    const QImage pieces = strip.toImage().convertToFormat(QImage::Format_RGB32);
    QCOMPARE(shown(), pieces.copy(0, 0, 272, 60));

    animation.SetActive(true);
    bool wrapped = false;
    int last = 0;
    QElapsedTimer t;
    t.start();
    while (!wrapped && t.elapsed() < 5000) {
      QTest::qWait(20);
      wrapped = animation.Frame() < last;
      last = animation.Frame();
    }
    QVERIFY2(wrapped, "the animation did not start over");
    const int frame = animation.Frame();
    QCOMPARE(shown(), pieces.copy(frame * 272, 0, 272, 60));

    animation.SetActive(false);
    const int stopped = animation.Frame();
    QTest::qWait(300);
    QVERIFY(!animation.Active());
    QCOMPARE(animation.Frame(), stopped);

    AnimationBox empty(QPixmap(), QSize(272, 60), &parent);
    empty.SetActive(true);
    QVERIFY(!empty.Active());
  }

  void newPicturesLoad() {
    // Opaque: its key colour is the dialog face, so every pixel shows as drawn.
    const QImage raw(QStringLiteral(":/pictures/Server.bmp"));
    const QImage server = LoadPicture(QStringLiteral("Server.bmp")).toImage();
    QCOMPARE(server.size(), QSize(32, 32));
    const QColor face = ResolveColour(TColor::Sys(SysColor::BtnFace));
    for (int y = 0; y < 32; ++y)
      for (int x = 0; x < 32; ++x)
        if (qAlpha(server.pixel(x, y)) == 0) QCOMPARE(QColor(raw.pixel(x, y)), face);
    const QImage firebird = LoadPicture(QStringLiteral("Firebird.bmp")).toImage();
    QCOMPARE(firebird.size(), QSize(32, 32));
    QCOMPARE(qAlpha(firebird.pixel(0, 0)), 0);
    QCOMPARE(qAlpha(firebird.pixel(16, 24)), 255);
  }

  void picturesLeaveTheirKeyColourUndrawn() {
    for (const char* name : {"SoftSetup.bmp", "View.bmp", "Doc.bmp", "Image2.bmp"}) {
      const QImage img = LoadPicture(QString::fromLatin1(name)).toImage();
      QVERIFY2(!img.isNull(), name);
      QCOMPARE(qAlpha(img.pixel(0, img.height() - 1)), 0);
      bool opaque = false;
      for (int y = 0; y < img.height() && !opaque; ++y)
        for (int x = 0; x < img.width() && !opaque; ++x) opaque = qAlpha(img.pixel(x, y)) == 255;
      QVERIFY2(opaque, name);
    }
    QCOMPARE(LoadPicture(QStringLiteral("Image2.bmp")).size(), QSize(150, 57));
    QCOMPARE(LoadPicture(QStringLiteral("Image1.png")).size(), QSize(125, 38));
  }

  void picturesDecodeAsQtDecodesThem() {
    // Every picture we carry, read by our decoder and by Qt's, pixel for pixel.
    for (const QString& dir : {QStringLiteral(":/pictures"), QStringLiteral(":/pictures/2x")}) {
      const QStringList names = QDir(dir).entryList(QDir::Files);
      QVERIFY(names.size() >= 10);
      for (const QString& name : names) {
        QFile file(dir + u'/' + name);
        QVERIFY(file.open(QIODevice::ReadOnly));
        const QByteArray bytes = file.readAll();
        const auto* data = reinterpret_cast<const std::uint8_t*>(bytes.constData());
        const QImage theirs = QImage::fromData(bytes).convertToFormat(QImage::Format_ARGB32);
        ui::DecodedPicture ours;
        QVERIFY2(ui::DecodePicture(data, bytes.size(), ours), qPrintable(file.fileName()));
        QCOMPARE(QSize(ours.Width, ours.Height), theirs.size());
        for (int y = 0; y < theirs.height(); ++y)
          QVERIFY2(!memcmp(ours.Bgra.data() + y * ours.Width * 4, theirs.constScanLine(y),
                           ours.Width * 4),
                   qPrintable(file.fileName()));
        // Cut short or damaged in its compressed data: refused, never read past its end.
        QVERIFY(!ui::DecodePicture(data, bytes.size() / 2, ours));
        if (name.endsWith(QLatin1String(".png"))) {
          QByteArray damaged = bytes;
          damaged[damaged.indexOf("IDAT") + 20] ^= 0x55;
          QVERIFY(!ui::DecodePicture(reinterpret_cast<const std::uint8_t*>(damaged.constData()),
                                     damaged.size(), ours));
        }
      }
    }
  }
};

QTEST_MAIN(QtFrontEndTest)
#include "QtFrontEndTest.moc"
