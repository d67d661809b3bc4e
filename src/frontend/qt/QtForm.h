#pragma once
// Draws a layout table as a Qt window and carries out the form logic's view
// requests on it.

#include <QEventLoop>
#include <QTimer>
#include <QWidget>

#include <functional>
#include <map>
#include <string>
#include <vector>

#include "ui/Accessible.h"
#include "ui/FormRules.h"
#include "ui/Forms.h"
#include "ui/Layout.h"

namespace ui::qt {

// "\r\n" and "\r" become Qt's line feed.
QString FromText(const std::string& text);
QFont ToQFont(const TFontSpec& spec);
// A label's font for `text`: without fallback fonts when its own font has
// every character of the text.
QFont LabelFont(const TFontSpec& spec, const QString& text);
// A hint as a tooltip shows it: lines wider than kTooltipWidth broken.
QString TooltipText(const QString& text);
// What setToolTip is given for a hint: its broken lines as escaped text, so
// that nothing in it is read as markup (a tooltip takes rich text).
QString TooltipMarkup(const QString& text);
// A window title that shows exactly `text`: Qt reads "[*]" in a title.
QString WindowTitle(const std::string& text);
void InstallFontSubstitutes();

class QtForm : public QWidget, public IFormView {
  Q_OBJECT
 public:
  explicit QtForm(const TFormLayout& layout, QWidget* parent = nullptr);

  const TFormLayout& Layout() const { return layout_; }
  QWidget* Control(int id) const;
  // The client area: the controls' coordinates are relative to it.
  QWidget* Client() const { return client_; }
  // Shows the window modally until a button with a modal result, Esc on a
  // cancel button, or the close box ends it; that result.
  int ShowModal();
  void EndModal(int result);
  // Id of the checked radio button, or -1.
  int CheckedRadio() const;
  // The control's id, or -1 when `w` is none of them.
  int IdOf(const QWidget* w) const;
  // The title as the window shows it.
  std::string Caption() const;
  // What a screen reader is told of the control now.
  TAccessible Accessible(int control) const;
  // Flat buttons and push buttons without a modal result report their
  // clicks here.
  std::function<void(int control)> OnClick;
  // F1 while shown modally, with the window's help context.
  std::function<void(std::int32_t helpContext)> OnHelp;

  void SetCaption(const std::string& text) override;
  void SetText(int control, const std::string& text) override;
  void SetHint(int control, const std::string& hint) override;
  void SetTop(int control, int top) override;
  void SetVisible(int control, bool visible) override;
  void SetEnabled(int control, bool enabled) override;
  void SetCursor(TCursor cursor) override;
  void RequestClose() override;

 protected:
  void showEvent(QShowEvent* e) override;
  void keyPressEvent(QKeyEvent* e) override;
  void closeEvent(QCloseEvent* e) override;
  bool eventFilter(QObject* watched, QEvent* e) override;

 private:
  void Perform(const TFormAction& action);
  // The hint kept, its tooltip made when first asked for.
  void SetHintText(int control, const std::string& hint);
  std::string CurrentText(int control) const;
  std::vector<TAccessible> AccessibleControls() const;

  const TFormLayout& layout_;
  QWidget* client_;
  std::map<int, QWidget*> controls_;
  std::map<int, std::string> hints_;  // each control's hint as it is now
  bool placed_ = false;
  QWidget* first_focus_ = nullptr;
  QEventLoop* loop_ = nullptr;
  int modalResult_ = 0;
};

class QtTimer : public ITimer {
 public:
  QtTimer();
  void SetEnabled(bool enabled) override;
  bool Enabled() const override { return timer_.isActive(); }
  void SetInterval(int milliseconds) override { timer_.setInterval(milliseconds); }
  int Interval() const override { return timer_.interval(); }
  std::function<void()> OnTick;

 private:
  QTimer timer_;
};

class QtMessagePump : public IMessagePump {
 public:
  void ProcessMessages() override;
};

}  // namespace ui::qt
