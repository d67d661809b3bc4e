#include "config/IniF.h"

#include <new>

#include "platform/Platform.h"
#include "platform/Profile.h"

namespace inif {

using common::ProgramDir;

// Without the program's own folder there is no setup.ini: a bare name would
// read whatever the folder the menu was started from holds.
std::string IniFilePath() { return ProgramDir.empty() ? std::string() : ProgramDir + kIniFileName; }

std::string ReadSetupValue(const std::string& section, const std::string& key) {
  return platform::ReadProfileString(IniFilePath(), section, key);
}

void LoadSetupNames() {
  if (auto v = ReadSetupValue("SETUP", "WindowName"); !v.empty()) common::WindowName = v;
  if (auto v = ReadSetupValue("SETUP", "SystemName"); !v.empty()) common::SystemName = v;
}

bool LoadSetupRec(const std::string& section, const std::string& nameKey,
                  const std::string& locationKey, TSetupRec& rec) {
  try {
    TSetupRec read;
    read.SetupName = ReadSetupValue(section, nameKey);
    read.SetupFile = ReadSetupValue(section, locationKey);
    read.SetupHint = ReadSetupValue(section, "SetupHint");
    read.SetupHelpHint = ReadSetupValue(section, "SetupHelpHint");
    const bool valid = !read.SetupName.empty() && !read.SetupFile.empty();
    // Plain concatenation: an absolute value still goes behind the directory.
    if (valid) read.SetupFile = ProgramDir + read.SetupFile;
    rec = std::move(read);
    return valid;
  } catch (const std::bad_alloc&) {
    rec = TSetupRec{};
    return false;
  }
}

static std::string GetLocation(const char* section, int n) {
  return ReadSetupValue(section, "Location" + std::to_string(n));
}

std::string GetAddLocation(int n) { return GetLocation("ADD", n); }

std::string GetSrvLocation(int n) { return GetLocation("SRV", n); }

std::string GetServicePath() { return ReadSetupValue("SERVICE", "Path"); }

std::string FindServiceDb() {
  const std::string path = GetServicePath();
  if (path.empty()) return {};
  if (!platform::DirectoryExists(ProgramDir + path)) return {};
  common::ServiceDbDir = ProgramDir + path;
  // The backslash goes in even after a trailing one; the file test copes.
  const std::string file = ProgramDir + path + "\\" + kServiceDbName;
  return platform::FileExists(file) ? file : std::string();
}

std::string GetDocBaseDir() {
  try {
    return common::ExtractFilePath(platform::ExecutablePath()) +
           ReadSetupValue("DOCBASE", "DocDaseDir");
  } catch (const std::bad_alloc&) {
    return {};
  }
}

std::string GetSetupDate() { return ReadSetupValue("DATE", "Date"); }

}  // namespace inif
