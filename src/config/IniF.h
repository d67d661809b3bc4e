#pragma once
// Unit IniF: the readers of setup.ini. Every reader opens the file anew, never
// writes it and never raises a failure to its caller.

#include <string>
#include <vector>

#include "config/Common.h"

namespace inif {

// setup.ini's sections and keys: the readers below read these, and the disc
// check tells a known key from a mistake by them.
namespace ini {
inline constexpr const char *kSetup = "SETUP", *kPrg = "PRG", *kAdd = "ADD", *kSrv = "SRV",
                            *kService = "SERVICE", *kDocBase = "DOCBASE", *kDate = "DATE",
                            *kDocSetup = "DOCSETUP", *kIbSetup = "IBSETUP", *kDbSetup = "DBSETUP";
inline constexpr const char *kWindowName = "WindowName", *kSystemName = "SystemName",
                            *kName = "Name", *kLocation = "Location", *kSetupHint = "SetupHint",
                            *kSetupHelpHint = "SetupHelpHint", *kPath = "Path",
                            *kDocBaseDir = "DocDaseDir", *kDateKey = "Date";
// [ADD] and [SRV] hold Location1 to LocationN, one per menu command.
inline constexpr int kAddLocations = 7, kSrvLocations = 4;
// The three records read like [PRG], besides it.
inline constexpr const char* kOtherRecords[] = {kDocSetup, kIbSetup, kDbSetup};

struct TSection {
  const char* Name;
  std::vector<std::string> Keys;
};
const std::vector<TSection>& KnownSections();
}  // namespace ini

inline constexpr const char* kIniFileName = "setup.ini";
inline constexpr const char* kServiceDbName = "DIZ_JSC.GDB";

// ProgramDir + "setup.ini".
std::string IniFilePath();

// One value of setup.ini ("" when anything is missing).
std::string ReadSetupValue(const std::string& section, const std::string& key);

void LoadSetupNames();
bool LoadSetupRec(const std::string& section, const std::string& nameKey,
                  const std::string& locationKey, TSetupRec& rec);
// A record with the usual keys: Name, Location, SetupHint, SetupHelpHint.
bool LoadSetupRec(const std::string& section, TSetupRec& rec);
std::string GetAddLocation(int n);
std::string GetSrvLocation(int n);
std::string GetServicePath();
std::string FindServiceDb();
std::string GetDocBaseDir();
std::string GetSetupDate();

}  // namespace inif
