#pragma once
// Unit Common: the setup descriptor and the settings every part reads.
// They live for the whole run and are never written back to disk.

#include <memory>
#include <string>

#include "lists/VclExt.h"

struct TSetupRec {
  std::string SetupName;
  std::string SetupFile;
  std::string SetupHint;
  std::string SetupHelpHint;

  bool operator==(const TSetupRec&) const = default;
};

namespace common {

inline constexpr const char* kDefaultWindowName = "LDTK. Инсталлятор";
inline constexpr const char* kDefaultSystemName = "Orvanta Reader Configuration Tool ";
// The install button's hint when [PRG] gives none.
inline constexpr const char* kDefaultSetupHint = "Выполнить установку";

extern std::string ProgramDir;
extern std::string WindowName;
extern std::string SystemName;
extern TSetupRec SoftSetup;
extern TSetupRec IBSetup;
extern TSetupRec DBSetup;
extern TSetupRec DocSetup;
extern std::unique_ptr<TFCStringList> LibraryList;
extern std::string LibrarySourceDir;
extern std::string ServiceDbFile;
extern std::string ServiceDbDir;

// Sets ProgramDir to the executable's directory with its trailing delimiter.
void InitProgramDir();

// The directory part of `exePath`, trailing delimiter kept ("" if none).
std::string ExtractFilePath(const std::string& exePath);

void CreateLibraryList();
void FreeLibraryList();

// Puts every setting back to its initial value (start of a run).
void ResetSettings();
// Shutdown: clears the names, descriptors and paths.
void ClearSettings();

}  // namespace common
