#include "TestSupport.h"

#include <fstream>
#include <random>

#include "config/Common.h"
#include "platform/Platform.h"
#include "ui/Application.h"

namespace testing_support {

TempDir::TempDir() {
  std::random_device rd;
  path_ = std::filesystem::temp_directory_path() /
          ("skd test " + std::to_string(rd()) + " каталог");
  std::filesystem::create_directories(path_);
}

TempDir::~TempDir() {
  std::error_code ec;
  std::filesystem::remove_all(path_, ec);
}

std::string TempDir::Dir() const {
  return path_.string() + platform::PathDelimiter();
}

void TempDir::Write(const std::string& name, const std::string& bytes) const {
  const auto file = path_ / name;
  std::filesystem::create_directories(file.parent_path());
  std::ofstream(file, std::ios::binary) << bytes;
}

void TempDir::MakeDir(const std::string& name) const {
  std::filesystem::create_directories(path_ / name);
}

int ScriptedDialogs::ShowMessageDialog(const dialogs::TMessageDialogRequest& request) {
  Shown.push_back(request);
  if (Answers.empty()) return 0;
  const int a = Answers.front();
  Answers.pop_front();
  return a;
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
