// Preloaded into a client of the Firebird library (fbsvcmgr): writes into
// the file named by SKD_BENCH_CALL_TIME the seconds from the process start
// (CLOCK_MONOTONIC in SKD_BENCH_START, set by timerun) to the end of its
// first successful isc_service_detach, and from its isc_service_attach to
// there.

#include "Clock.h"

#include <dlfcn.h>
#include <fcntl.h>
#include <time.h>
#include <unistd.h>

#include <cstdint>
#include <cstdio>
#include <cstdlib>

using ISC_STATUS = std::intptr_t;
using Attach = ISC_STATUS (*)(ISC_STATUS*, unsigned short, const char*, void*, unsigned short,
                              const char*);
using Detach = ISC_STATUS (*)(ISC_STATUS*, void*);

namespace {

double started = -1;


}  // namespace

extern "C" ISC_STATUS isc_service_attach(ISC_STATUS* status, unsigned short nameLength,
                                         const char* name, void* handle,
                                         unsigned short spbLength, const char* spb) {
  static const auto next = reinterpret_cast<Attach>(dlsym(RTLD_NEXT, "isc_service_attach"));
  if (started < 0) started = Now();
  return next(status, nameLength, name, handle, spbLength, spb);
}

extern "C" ISC_STATUS isc_service_detach(ISC_STATUS* status, void* handle) {
  static const auto next = reinterpret_cast<Detach>(dlsym(RTLD_NEXT, "isc_service_detach"));
  const ISC_STATUS result = next(status, handle);
  static bool written = false;
  const char* file = std::getenv("SKD_BENCH_CALL_TIME");
  if (!written && started >= 0 && result == 0 && file) {
    written = true;
    const double now = Now();
    const char* processStart = std::getenv("SKD_BENCH_START");
    char text[64];
    const int length = std::snprintf(text, sizeof text, "%.6f %.6f\n",
                                     processStart ? now - std::atof(processStart) : -1.0,
                                     now - started);
    const int fd = open(file, O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0644);
    if (fd >= 0) {
      if (write(fd, text, static_cast<std::size_t>(length)) != length) unlink(file);
      close(fd);
    }
  }
  return result;
}
