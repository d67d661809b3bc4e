#pragma once
// Scripted stand-ins for the window, the dialogs and the help box, and a
// scratch directory that plays the program directory.

#include <gtest/gtest.h>

#include <deque>
#include <filesystem>
#include <map>
#include <string>
#include <vector>

#include "help/Help.h"
#include "ui/Forms.h"

namespace ui {
class TSKDSetupForm;
}

namespace testing_support {

// setup.ini content as the tests write it. Windows reads a file without a
// byte-order mark in the ANSI code page, so there the UTF-8 text gets one.
std::string SetupIniBytes(const std::string& utf8);

// A path as the UTF-8 string our API takes (path::string() would give the
// ANSI code page on Windows).
std::string Utf8Path(const std::filesystem::path& p);

class TempDir {
 public:
  TempDir();
  ~TempDir();
  // With the platform's trailing delimiter, as ProgramDir holds it.
  std::string Dir() const;
  std::filesystem::path Path() const { return path_; }
  void Write(const std::string& name, const std::string& bytes) const;
  void MakeDir(const std::string& name) const;

 private:
  std::filesystem::path path_;
};

class ScriptedDialogs : public dialogs::IDialogs {
 public:
  std::deque<int> Answers;  // empty: every dialog answers 0
  std::vector<dialogs::TMessageDialogRequest> Shown;
  int ShowMessageDialog(const dialogs::TMessageDialogRequest& request) override;
  bool About740Creatable = true;
  int About740Shown = 0;
  bool RunAbout740Form() override {
    ++About740Shown;
    return About740Creatable;
  }

  // How the next form of its own ends. Clicks are passed to its click
  // handler first; Checked -1 leaves the radio buttons as the layout makes them.
  struct FormAnswer {
    bool Created = true;
    int Result = 0;
    int Checked = -1;
    std::vector<int> Clicks;
  };
  std::deque<FormAnswer> FormAnswers;  // empty: shown and closed by the frame
  std::vector<std::string> FormsShown; // layout names, in order
  std::vector<std::vector<std::pair<int, std::string>>> FormTexts;
  dialogs::TModalFormResult RunModalForm(const dialogs::TModalFormRequest& request) override;

  std::vector<std::vector<std::string>> ToolkitErrors;    // title, text, button
  std::vector<std::pair<std::string, std::string>> ErrorBoxes;  // caption, text
  void ShowToolkitError(const std::string& title, const std::string& text,
                        const std::string& button) override {
    ToolkitErrors.push_back({title, text, button});
  }
  void ShowErrorBox(const std::string& caption, const std::string& text) override {
    ErrorBoxes.emplace_back(caption, text);
  }
};

class RecordingView : public ui::IFormView {
 public:
  std::string Caption;
  std::map<int, std::string> Text, Hint;
  std::map<int, int> Top;
  std::map<int, bool> Visible, Enabled;
  ui::TCursor Cursor = ui::TCursor::crDefault;
  int CloseRequests = 0;

  void SetCaption(const std::string& t) override { Caption = t; }
  void SetText(int c, const std::string& t) override { Text[c] = t; }
  void SetHint(int c, const std::string& h) override { Hint[c] = h; }
  void SetTop(int c, int top) override { Top[c] = top; }
  void SetVisible(int c, bool v) override { Visible[c] = v; }
  void SetEnabled(int c, bool e) override { Enabled[c] = e; }
  void SetCursor(ui::TCursor c) override { Cursor = c; }
  void RequestClose() override { ++CloseRequests; }
};

class ManualTimer : public ui::ITimer {
 public:
  bool On = false;
  int Period = 0;
  void SetEnabled(bool e) override { On = e; }
  bool Enabled() const override { return On; }
  void SetInterval(int ms) override { Period = ms; }
  int Interval() const override { return Period; }
};

// Ticks the window's monitor until the installer it watches has ended, so a
// test leaves no child behind.
void WaitForInstaller(ui::TSKDSetupForm& form, const ManualTimer& timer);

class CountingPump : public ui::IMessagePump {
 public:
  int Passes = 0;
  void ProcessMessages() override { ++Passes; }
};

class RecordingHelpBox : public help::IHelpErrorBox {
 public:
  std::vector<std::pair<std::string, std::string>> Shown;  // caption, text
  void Show(const std::string& caption, const std::string& text) override {
    Shown.emplace_back(caption, text);
  }
};

// Puts the settings, the application object and the help unit back to their
// start values around a test.
class CleanState : public ::testing::Test {
 protected:
  CleanState();
  ~CleanState() override;
  RecordingHelpBox helpBox;
};

}  // namespace testing_support
