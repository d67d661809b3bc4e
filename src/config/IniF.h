#pragma once
// Unit IniF: the readers of setup.ini. Every reader opens the file anew, never
// writes it and never raises a failure to its caller.

#include <string>

#include "config/Common.h"

namespace inif {

inline constexpr const char* kIniFileName = "setup.ini";
inline constexpr const char* kServiceDbName = "DIZ_JSC.GDB";

// ProgramDir + "setup.ini".
std::string IniFilePath();

// One value of setup.ini ("" when anything is missing).
std::string ReadSetupValue(const std::string& section, const std::string& key);

void LoadSetupNames();
bool LoadSetupRec(const std::string& section, const std::string& nameKey,
                  const std::string& locationKey, TSetupRec& rec);
std::string GetAddLocation(int n);
std::string GetSrvLocation(int n);
std::string GetServicePath();
std::string FindServiceDb();
std::string GetDocBaseDir();
std::string GetSetupDate();

}  // namespace inif
