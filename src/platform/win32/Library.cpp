#include "platform/Library.h"

#include "platform/win32/Win.h"
#include "platform/win32/Wide.h"

namespace platform {

void* OpenLibrary(const std::string& name) {
  // The search may pass an empty CD or card drive (the menu runs from a
  // disc): no "insert a disk" box, just a failed load.
  DWORD previousMode = 0;
  const BOOL modeSet =
      SetThreadErrorMode(SEM_FAILCRITICALERRORS | SEM_NOOPENFILEERRORBOX, &previousMode);
  const HMODULE module = LoadLibraryW(Wide(name).c_str());
  if (modeSet) SetThreadErrorMode(previousMode, nullptr);
  return module;
}

TLibraryProc LibraryProc(void* library, const std::string& symbol) {
  if (!library) return nullptr;
  return reinterpret_cast<TLibraryProc>(
      GetProcAddress(static_cast<HMODULE>(library), symbol.c_str()));
}

}  // namespace platform
