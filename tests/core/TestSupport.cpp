#include "TestSupport.h"

#include "ui/Layout.h"

#include <fstream>
#include <random>

#include "config/Common.h"
#include "platform/Platform.h"
#include "ui/Application.h"
#include "ui/Main.h"

#include <chrono>
#include <thread>

namespace testing_support {

std::string SetupIniBytes(const std::string& utf8) {
#ifdef _WIN32
  return "\xEF\xBB\xBF" + utf8;
#else
  return utf8;
#endif
}

std::string Utf8Path(const std::filesystem::path& p) {
  const std::u8string s = p.u8string();
  return std::string(s.begin(), s.end());
}

// Names are UTF-8 like everything else here; a plain std::string would be
// taken in the ANSI code page on Windows.
static std::filesystem::path FromUtf8(const std::string& name) {
  return std::filesystem::path(std::u8string(name.begin(), name.end()));
}

TempDir::TempDir() {
  std::random_device rd;
  path_ = std::filesystem::temp_directory_path() /
          FromUtf8("skd test " + std::to_string(rd()) + " каталог");
  std::filesystem::create_directories(path_);
}

TempDir::~TempDir() {
  std::error_code ec;
  std::filesystem::remove_all(path_, ec);
}

std::string TempDir::Dir() const { return Utf8Path(path_) + platform::PathDelimiter(); }

void TempDir::Write(const std::string& name, const std::string& bytes) const {
  const auto file = path_ / FromUtf8(name);
  std::filesystem::create_directories(file.parent_path());
  std::ofstream(file, std::ios::binary) << bytes;
}

void TempDir::MakeDir(const std::string& name) const {
  std::filesystem::create_directories(path_ / FromUtf8(name));
}

int ScriptedDialogs::ShowMessageDialog(const dialogs::TMessageDialogRequest& request) {
  Shown.push_back(request);
  if (Answers.empty()) return 0;
  const int a = Answers.front();
  Answers.pop_front();
  return a;
}

dialogs::TModalFormResult ScriptedDialogs::RunModalForm(
    const dialogs::TModalFormRequest& request) {
  FormAnswer a;
  if (!FormAnswers.empty()) {
    a = FormAnswers.front();
    FormAnswers.pop_front();
  }
  dialogs::TModalFormResult r;
  if (!a.Created) return r;
  FormsShown.push_back(request.Layout->Name);
  FormTexts.push_back(request.Texts);
  for (int id : a.Clicks)
    if (request.OnClick) request.OnClick(id);
  r.Created = true;
  r.ModalResult = a.Result;
  r.CheckedRadio = a.Checked;
  if (r.CheckedRadio < 0)
    for (const auto& row : request.Layout->Controls)
      if (row.Kind == ui::ControlKind::RadioButton && row.Checked) r.CheckedRadio = row.Id;
  return r;
}

void WaitForInstaller(ui::TSKDSetupForm& form, const ManualTimer& timer) {
  for (int i = 0; i < 1000 && timer.On; ++i) {
    std::this_thread::sleep_for(std::chrono::milliseconds(10));
    form.Timer1Timer();
  }
}

CleanState::CleanState() {
  common::ResetSettings();
  ui::Application.Reset();
  help::HelpProvider.reset();
  help::SetHelpErrorBox(&helpBox);
}

CleanState::~CleanState() {
  help::SetHelpErrorBox(nullptr);
  help::HelpProvider.reset();
  ui::Application.Reset();
  common::ResetSettings();
}

}  // namespace testing_support
