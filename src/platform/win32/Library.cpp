#include "platform/Library.h"

#include "platform/win32/Win.h"

#include <map>
#include <mutex>

#include "platform/win32/Wide.h"

namespace platform {

namespace {

struct Loaded {
  std::mutex Lock;
  std::map<std::string, HMODULE> Handles;
  int Count = 0;
};

// Never destroyed: the modules must outlive every static destructor that
// might still call into them.
Loaded& Cache() {
  static Loaded* cache = new Loaded;
  return *cache;
}

}  // namespace

void* LoadSharedLibrary(const std::string& name) {
  Loaded& cache = Cache();
  std::lock_guard<std::mutex> guard(cache.Lock);
  if (const auto it = cache.Handles.find(name); it != cache.Handles.end()) return it->second;
  if (name.empty()) return nullptr;
  // The search may pass an empty CD or card drive (the menu runs from a
  // disc): no "insert a disk" box, just a failed load.
  DWORD previousMode = 0;
  const BOOL modeSet = SetThreadErrorMode(SEM_FAILCRITICALERRORS | SEM_NOOPENFILEERRORBOX, &previousMode);
  const HMODULE module = LoadLibraryW(Wide(name).c_str());
  if (modeSet) SetThreadErrorMode(previousMode, nullptr);
  if (!module) return nullptr;
  cache.Handles.emplace(name, module);
  ++cache.Count;
  return module;
}

TLibraryProc LibraryProc(void* library, const std::string& symbol) {
  if (!library) return nullptr;
  return reinterpret_cast<TLibraryProc>(GetProcAddress(static_cast<HMODULE>(library), symbol.c_str()));
}

int LibraryLoadCount() {
  Loaded& cache = Cache();
  std::lock_guard<std::mutex> guard(cache.Lock);
  return cache.Count;
}

}  // namespace platform
