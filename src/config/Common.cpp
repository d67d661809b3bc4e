#include "config/Common.h"

#include "platform/Platform.h"

namespace common {

std::string ProgramDir;
std::string WindowName = kDefaultWindowName;
std::string SystemName = kDefaultSystemName;
TSetupRec SoftSetup;
TSetupRec IBSetup;
TSetupRec DBSetup;
TSetupRec DocSetup;
std::unique_ptr<TFCStringList> LibraryList;
std::string LibrarySourceDir;
std::string ServiceDbFile;
std::string ServiceDbDir;

std::string ExtractFilePath(const std::string& exePath) {
  // Both delimiters count: a Windows path may use either.
  const auto pos = exePath.find_last_of(platform::PathDelimiter() == '/' ? "/" : "\\/:");
  return pos == std::string::npos ? std::string() : exePath.substr(0, pos + 1);
}

void InitProgramDir() { ProgramDir = ExtractFilePath(platform::ExecutablePath()); }

void CreateLibraryList() { LibraryList = std::make_unique<TFCStringList>(); }

void FreeLibraryList() { LibraryList.reset(); }

void ClearSettings() {
  WindowName.clear();
  SystemName.clear();
  SoftSetup = IBSetup = DBSetup = DocSetup = TSetupRec{};
  ServiceDbFile.clear();
  ProgramDir.clear();
  LibrarySourceDir.clear();
  ServiceDbDir.clear();
}

void ResetSettings() {
  ClearSettings();
  LibraryList.reset();
  WindowName = kDefaultWindowName;
  SystemName = kDefaultSystemName;
}

}  // namespace common
