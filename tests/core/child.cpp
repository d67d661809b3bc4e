// A stand-in installer for the tests: runs for CHILD_MS milliseconds and
// ends. The menu starts installers without arguments, so the time is built in.
#ifdef _WIN32
#include <windows.h>
#else
#include <unistd.h>
#endif

int main() {
#ifdef _WIN32
  Sleep(CHILD_MS);
#else
  usleep(CHILD_MS * 1000);
#endif
  return 0;
}
