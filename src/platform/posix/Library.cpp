#include "platform/Library.h"

#include <dlfcn.h>

namespace platform {

void* OpenLibrary(const std::string& name) {
  // A name without a slash goes through the loader's search path. Local
  // symbols: a client library must not take over names of ours.
  return dlopen(name.c_str(), RTLD_NOW | RTLD_LOCAL);
}

TLibraryProc LibraryProc(void* library, const std::string& symbol) {
  if (!library) return nullptr;
  return reinterpret_cast<TLibraryProc>(dlsym(library, symbol.c_str()));
}

}  // namespace platform
