#pragma once
// Shared libraries loaded at run time by name (the database client library).
// A library, once loaded, stays loaded until the process ends: callers keep
// its entry points, and a client library may run threads of its own.

#include <string>

namespace platform {

// An entry point as found; cast to its real type by the caller.
using TLibraryProc = void (*)();

// Loads `name` through the system's library search, once per process: later
// calls with the same name return the same handle without loading again.
// Null when it cannot be loaded; a failed name is tried again next time.
void* LoadSharedLibrary(const std::string& name);

// The entry point `symbol` of a library from LoadSharedLibrary, or null.
TLibraryProc LibraryProc(void* library, const std::string& symbol);

// How many libraries this process has actually loaded through
// LoadSharedLibrary (answers from the cache do not count).
int LibraryLoadCount();

}  // namespace platform
