#pragma once
// Which DLLs the menu may load. It runs from discs, Downloads folders and
// shared folders, where anyone may have left a DLL beside it or in the
// folder it was started from; a DLL named without a path must come from the
// system folder, never from those.

#include "platform/win32/Win.h"

namespace platform {

// First thing in the entry point, before anything loads a DLL: DLLs named
// without a path come from System32 only (SetDefaultDllDirectories, looked
// up at run time: Windows 7 has it only with update KB2533623). Without it
// the current folder leaves the search, and the DLLs that system DLLs load
// by name later are loaded now from System32, so that their names find
// them loaded. `useDefaultDirectories` false takes that second way anyway.
void RestrictLibrarySearch(bool useDefaultDirectories = true);

// A system DLL by its full path in System32; what it imports is looked for
// there first.
HMODULE LoadSystemLibrary(const wchar_t* name);

}  // namespace platform
