#pragma once
// Unit Reestr: which InterBase-family server is installed, where, and which
// version, as the registry tells. The database commands run DetectServer each
// time and then read the results below; nothing else changes them.
//
// Directories keep the form the registry gives and end in a backslash; on
// POSIX that backslash is a separator like any other (platform::NativePath).

#include <cstdint>
#include <string>

#include "platform/Registry.h"

namespace dbserver {

// Installation directory with its trailing backslash; empty: no server.
extern std::string ServerRootDir;
// ServerRootDir followed by "UDF\"; empty: no server.
extern std::string ServerUdfDir;
// InterBase's own version text, or Firebird's "1.5" / "2.0" / "2.1" / "2.5";
// empty when unknown.
extern std::string ServerVersion;
// -1 unknown, 6 for any Firebird, else parsed from InterBase's version text.
extern std::int32_t ServerMajorVersion;

// Replaces every result from the platform's registry.
void DetectServer();
// The same with a reader of the caller's; a factory that gives nothing
// leaves the results reset.
void DetectServer(const platform::RegistryFactory& factory);

bool ServerInstalled();
// Whether ServerUdfDir names an existing directory (links followed).
bool UdfDirExists();
// Creates ServerUdfDir itself, not its parent; a failure shows only in
// UdfDirExists.
void CreateUdfDir();

}  // namespace dbserver
