// Wall time of a sequence of programs, each started when the one before it
// has ended; prints the seconds from the first start to the last end.
//
//   timerun PROGRAM [ARGS...] [:: PROGRAM [ARGS...]]...
//
// The time is the last line of the output. Each finds the CLOCK_MONOTONIC
// time of its start in SKD_BENCH_START, so that it can time its own steps
// from there. Exit status 1 when one fails.

#include "Clock.h"

#include <errno.h>
#include <spawn.h>
#include <sys/wait.h>
#include <time.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <vector>

extern char** environ;

namespace {


}  // namespace

int main(int argc, char** argv) {
  std::vector<std::vector<char*>> commands(1);
  for (int i = 1; i < argc; ++i) {
    if (std::strcmp(argv[i], "::") == 0)
      commands.emplace_back();
    else
      commands.back().push_back(argv[i]);
  }
  for (auto& command : commands) {
    if (command.empty()) {
      std::fprintf(stderr, "usage: timerun PROGRAM [ARGS...] [:: PROGRAM [ARGS...]]...\n");
      return 2;
    }
    command.push_back(nullptr);
  }

  const double start = Now();
  for (auto& command : commands) {
    pid_t pid = 0;
    char now[32];
    std::snprintf(now, sizeof now, "%.9f", Now());
    setenv("SKD_BENCH_START", now, 1);
    const int error = posix_spawnp(&pid, command[0], nullptr, nullptr, command.data(), environ);
    if (error != 0) {
      std::fprintf(stderr, "timerun: cannot start %s: %s\n", command[0], std::strerror(error));
      return 1;
    }
    int status = 0;
    pid_t waited;
    do waited = waitpid(pid, &status, 0);
    while (waited < 0 && errno == EINTR);
    if (waited < 0) status = -1;
    if (!WIFEXITED(status) || WEXITSTATUS(status) != 0) {
      std::fprintf(stderr, "timerun: %s failed (status %d)\n", command[0], status);
      return 1;
    }
  }
  std::printf("%.6f\n", Now() - start);
  return 0;
}
