#include "platform/Library.h"

#include <dlfcn.h>

#include <map>
#include <mutex>

namespace platform {

namespace {

struct Loaded {
  std::mutex Lock;
  std::map<std::string, void*> Handles;
  int Count = 0;
};

// Never destroyed: the handles must outlive every static destructor that
// might still call into a library.
Loaded& Cache() {
  static Loaded* cache = new Loaded;
  return *cache;
}

}  // namespace

void* LoadSharedLibrary(const std::string& name) {
  Loaded& cache = Cache();
  std::lock_guard<std::mutex> guard(cache.Lock);
  if (const auto it = cache.Handles.find(name); it != cache.Handles.end()) return it->second;
  // A name without a slash goes through the loader's search path. Local
  // symbols: a client library must not take over names of ours.
  void* handle = name.empty() ? nullptr : dlopen(name.c_str(), RTLD_NOW | RTLD_LOCAL);
  if (!handle) return nullptr;
  cache.Handles.emplace(name, handle);
  ++cache.Count;
  return handle;
}

TLibraryProc LibraryProc(void* library, const std::string& symbol) {
  if (!library) return nullptr;
  return reinterpret_cast<TLibraryProc>(dlsym(library, symbol.c_str()));
}

int LibraryLoadCount() {
  Loaded& cache = Cache();
  std::lock_guard<std::mutex> guard(cache.Lock);
  return cache.Count;
}

}  // namespace platform
