// The load-once cache of run-time libraries; OpenLibrary does the platform's
// own loading.

#include <map>
#include <mutex>

#include "platform/Library.h"

namespace platform {

void* OpenLibrary(const std::string& name);  // posix/ or win32/Library.cpp

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
  void* handle = name.empty() ? nullptr : OpenLibrary(name);
  if (!handle) return nullptr;  // tried again next time
  cache.Handles.emplace(name, handle);
  ++cache.Count;
  return handle;
}

int LibraryLoadCount() {
  Loaded& cache = Cache();
  std::lock_guard<std::mutex> guard(cache.Lock);
  return cache.Count;
}

}  // namespace platform
