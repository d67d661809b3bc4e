#pragma once
// Seconds on the monotonic clock, for the bench's timers.

#include <time.h>

inline double Now() {
  timespec ts{};
  clock_gettime(CLOCK_MONOTONIC, &ts);
  return static_cast<double>(ts.tv_sec) + static_cast<double>(ts.tv_nsec) * 1e-9;
}
