// Proves that the sanitizer lane still finds leaks: the probe attaches the
// private server through the client library (dynamic TLS and threads of its
// own, the setting in which LeakSanitizer's tracer used to crash), then this
// program drops a block on purpose. Its test passes only if the leak report
// names that block.

#include <sys/stat.h>

#include <cstdlib>
#include <cstdio>
#include <fstream>
#include <string>

#include "dbserver/Probe.h"

// Global and volatile: the store and the drop both happen.
void* volatile g_block;

int main() {
  const std::string lockDir = std::string(SKD_FIREBIRD_DIR) + "/client-lock";
  mkdir(lockDir.c_str(), 0700);
  setenv("FIREBIRD_LOCK", lockDir.c_str(), 1);
  int port = 0;
  std::ifstream(std::string(SKD_FIREBIRD_DIR) + "/port") >> port;
  dbserver::TProbeSettings settings = dbserver::DefaultProbeSettings();
  settings.ServiceName = "127.0.0.1/" + std::to_string(port) + ":service_mgr";
  if (port <= 0 || !dbserver::AttachService(settings)) {
    std::puts("the private server did not answer the probe");
    return 1;
  }
  // An odd size, so the report is ours and nobody else's.
  g_block = std::malloc(4243);
  g_block = nullptr;
  std::puts("probed; block dropped");
  return 0;
}
