// The menu's server probe, timed: probe SERVICE CALLS. Makes CALLS probes in
// one process against SERVICE (e.g. 127.0.0.1/3050:service_mgr) with the
// menu's credentials and prints the seconds to the first answer (from the
// process start that timerun passes in SKD_BENCH_START, else from the call;
// it loads the client library) and the median of the later calls. Exit
// status 1 when a probe is refused.

#include "Clock.h"

#include <time.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <exception>
#include <vector>

#include "dbserver/Probe.h"

namespace {


}  // namespace

int main(int argc, char** argv) {
  if (argc != 3 || std::atoi(argv[2]) < 2) {
    std::fprintf(stderr, "usage: probe SERVICE CALLS (at least 2)\n");
    return 2;
  }
  dbserver::TProbeSettings settings = dbserver::DefaultProbeSettings();
  settings.ServiceName = argv[1];
  const int calls = std::atoi(argv[2]);

  const char* processStart = std::getenv("SKD_BENCH_START");
  std::vector<double> seconds;
  try {
    for (int i = 0; i < calls; ++i) {
      const double start = i == 0 && processStart ? std::atof(processStart) : Now();
      const bool accepted = dbserver::AttachService(settings);
      seconds.push_back(Now() - start);
      if (!accepted) {
        std::fprintf(stderr, "probe: call %d refused by %s\n", i + 1, argv[1]);
        return 1;
      }
    }
  } catch (const std::exception& e) {
    std::fprintf(stderr, "probe: %s\n", e.what());
    return 1;
  }
  std::vector<double> later(seconds.begin() + 1, seconds.end());
  std::nth_element(later.begin(), later.begin() + later.size() / 2, later.end());
  std::printf("%.6f %.6f\n", seconds.front(), later[later.size() / 2]);
  return 0;
}
