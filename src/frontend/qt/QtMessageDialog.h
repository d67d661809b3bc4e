#pragma once
// The message dialog drawn from its toolkit-free layout.

#include <QDialog>
#include <QFont>

#include "ui/_Dialogs.h"

class QPushButton;

namespace ui::qt {

// The dialog font: the system message font with the Cyrillic character set.
QFont MessageFont();

class QtDialogMetrics : public dialogs::IDialogMetrics {
 public:
  explicit QtDialogMetrics(const QFont& font) : font_(font) {}
  dialogs::TSize AverageCharSize() override;
  int TextWidth(const std::string& line) override;
  dialogs::TSize WrappedTextSize(const std::string& text, int maxWidth) override;
  dialogs::TSize ScreenSize() override;

 private:
  QFont font_;
};

// Word wrap as both the measuring and the drawing use it.
inline constexpr int kMessageTextFlags = Qt::TextWordWrap | Qt::TextExpandTabs | Qt::AlignLeft;

class QtMessageDialog : public QDialog, public dialogs::IDialogHost {
  Q_OBJECT
 public:
  explicit QtMessageDialog(const dialogs::TMessageDialogLayout& layout, QWidget* parent = nullptr);
  const dialogs::TMessageDialogLayout& Layout() const { return layout_; }
  QPushButton* Button(int index) const { return buttons_.at(index); }
  // Index of the button `w`, or -1.
  int ButtonIndex(const QWidget* w) const;

 protected:
  void keyPressEvent(QKeyEvent* e) override;
  void reject() override;
  void showEvent(QShowEvent* e) override;

 private:
  void Perform(const dialogs::TDialogAction& action);
  void Close(int result) override;
  void Beep() override;
  void CopyToClipboard(const std::string& text) override;

  dialogs::TMessageDialogLayout layout_;
  std::vector<QPushButton*> buttons_;
  bool placed_ = false;
};

class QtDialogs : public dialogs::IDialogs {
 public:
  int ShowMessageDialog(const dialogs::TMessageDialogRequest& request) override;
  dialogs::TModalFormResult RunModalForm(const dialogs::TModalFormRequest& request) override;
  void ShowToolkitError(const std::string& title, const std::string& text,
                        const std::string& button) override;
  void ShowErrorBox(const std::string& caption, const std::string& text) override;
};

}  // namespace ui::qt
