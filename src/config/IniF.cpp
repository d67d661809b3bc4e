#include "config/IniF.h"

#include <new>

#include "platform/Platform.h"
#include "platform/Profile.h"

namespace inif {

using common::ProgramDir;
using namespace ini;

const std::vector<TSection>& ini::KnownSections() {
  static const std::vector<TSection> known = [] {
    const auto locations = [](int n) {
      std::vector<std::string> keys;
      for (int i = 1; i <= n; ++i) keys.push_back(kLocation + std::to_string(i));
      return keys;
    };
    // Every section read as a setup record has all four keys read.
    const std::vector<std::string> record = {kName, kLocation, kSetupHint, kSetupHelpHint};
    return std::vector<TSection>{
        {kSetup, {kWindowName, kSystemName}}, {kPrg, record},
        {kAdd, locations(kAddLocations)},     {kSrv, locations(kSrvLocations)},
        {kService, {kPath}},                  {kDocBase, {kDocBaseDir}},
        {kDate, {kDateKey}},                  {kDocSetup, record},
        {kIbSetup, record},                   {kDbSetup, record},
    };
  }();
  return known;
}

// Without the program's own folder there is no setup.ini: a bare name would
// read whatever the folder the menu was started from holds.
std::string IniFilePath() { return ProgramDir.empty() ? std::string() : ProgramDir + kIniFileName; }

std::string ReadSetupValue(const std::string& section, const std::string& key) {
  return platform::ReadProfileString(IniFilePath(), section, key);
}

void LoadSetupNames() {
  if (auto v = ReadSetupValue(kSetup, kWindowName); !v.empty()) common::WindowName = v;
  if (auto v = ReadSetupValue(kSetup, kSystemName); !v.empty()) common::SystemName = v;
}

bool LoadSetupRec(const std::string& section, const std::string& nameKey,
                  const std::string& locationKey, TSetupRec& rec) {
  try {
    TSetupRec read;
    read.SetupName = ReadSetupValue(section, nameKey);
    read.SetupFile = ReadSetupValue(section, locationKey);
    read.SetupHint = ReadSetupValue(section, kSetupHint);
    read.SetupHelpHint = ReadSetupValue(section, kSetupHelpHint);
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

bool LoadSetupRec(const std::string& section, TSetupRec& rec) {
  return LoadSetupRec(section, kName, kLocation, rec);
}

static std::string GetLocation(const char* section, int n) {
  return ReadSetupValue(section, kLocation + std::to_string(n));
}

std::string GetAddLocation(int n) { return GetLocation(kAdd, n); }

std::string GetSrvLocation(int n) { return GetLocation(kSrv, n); }

std::string GetServicePath() { return ReadSetupValue(kService, kPath); }

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
           ReadSetupValue(kDocBase, kDocBaseDir);
  } catch (const std::bad_alloc&) {
    return {};
  }
}

std::string GetSetupDate() { return ReadSetupValue(kDate, kDateKey); }

}  // namespace inif
