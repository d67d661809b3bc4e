// Start-up time and peak memory of a window program: runs it on the X
// display of DISPLAY (a bare server, no window manager), waits for the map
// of its first top-level window, prints the seconds since the start, waits a
// second and prints the program's VmHWM in KiB, then ends it. The window must
// name the started process in _NET_WM_PID (Qt and Wine set it): so the
// memory read is that of the process that shows the window. With
// --time-only it prints the seconds alone and ends the program at once, so
// that many start-ups can be timed in the time a few peaks take; with --at
// as well it prints the start's and the map's times on the monotonic clock
// instead, to match against other timed logs.
//
//   mapwait [--timeout SECONDS] [--time-only [--at]] -- PROGRAM [ARGS...]
//
// The program's output goes to /dev/null; exit status 1 when no window came.

#include "Clock.h"

#include <X11/Xatom.h>
#include <X11/Xlib.h>
#include <fcntl.h>
#include <poll.h>
#include <signal.h>
#include <sys/wait.h>
#include <time.h>
#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <fstream>
#include <string>

namespace {


// _NET_WM_PID of a window, or 0 when it has none.
long WindowPid(Display* display, Window window, Atom netWmPid) {
  Atom type = None;
  int format = 0;
  unsigned long count = 0, after = 0;
  unsigned char* data = nullptr;
  long pid = 0;
  if (XGetWindowProperty(display, window, netWmPid, 0, 1, False, XA_CARDINAL, &type, &format,
                         &count, &after, &data) == Success &&
      data) {
    if (type == XA_CARDINAL && format == 32 && count == 1) pid = *reinterpret_cast<long*>(data);
    XFree(data);
  }
  return pid;
}

long PeakKiB(pid_t pid) {
  std::ifstream status("/proc/" + std::to_string(pid) + "/status");
  std::string line;
  while (std::getline(status, line))
    if (line.rfind("VmHWM:", 0) == 0) return std::strtol(line.c_str() + 6, nullptr, 10);
  return -1;
}

// Interrupted: the program is ended all the same.
volatile sig_atomic_t stopped = 0;
void Stop(int) { stopped = 1; }

// A window whose map we were told about may be gone already: not an error.
int IgnoreXErrors(Display*, XErrorEvent*) { return 0; }

bool Reaped(pid_t pid) {
  int status = 0;
  return waitpid(pid, &status, WNOHANG) == pid;
}

// TERM to the program's process group, KILL after three seconds.
void End(pid_t pid, bool reaped) {
  kill(-pid, SIGTERM);
  for (int i = 0; i < 300 && !reaped; ++i) {
    reaped = Reaped(pid);
    if (!reaped) usleep(10000);
  }
  kill(-pid, SIGKILL);
  if (!reaped) waitpid(pid, nullptr, 0);
}

}  // namespace

int main(int argc, char** argv) {
  double timeout = 60;
  bool timeOnly = false, at = false;
  int first = 1;
  if (first + 1 < argc && std::strcmp(argv[first], "--timeout") == 0) {
    timeout = std::atof(argv[first + 1]);
    first += 2;
  }
  if (first < argc && std::strcmp(argv[first], "--time-only") == 0) {
    timeOnly = true;
    ++first;
  }
  if (timeOnly && first < argc && std::strcmp(argv[first], "--at") == 0) {
    at = true;
    ++first;
  }
  if (first < argc && std::strcmp(argv[first], "--") == 0) ++first;
  if (first >= argc) {
    std::fprintf(stderr,
                 "usage: mapwait [--timeout SECONDS] [--time-only [--at]] -- PROGRAM [ARGS...]\n");
    return 2;
  }

  Display* display = XOpenDisplay(nullptr);
  if (!display) {
    std::fprintf(stderr, "mapwait: cannot open the display\n");
    return 1;
  }
  XSetErrorHandler(IgnoreXErrors);
  struct sigaction action{};
  action.sa_handler = Stop;
  for (const int signal : {SIGINT, SIGTERM, SIGHUP}) sigaction(signal, &action, nullptr);
  const int xfd = ConnectionNumber(display);
  fcntl(xfd, F_SETFD, FD_CLOEXEC);
  const Window root = DefaultRootWindow(display);
  const Atom netWmPid = XInternAtom(display, "_NET_WM_PID", False);
  XSelectInput(display, root, SubstructureNotifyMask);
  XSync(display, False);

  const double start = Now();
  const pid_t pid = fork();
  if (pid < 0) {
    std::perror("mapwait: fork");
    return 1;
  }
  if (pid == 0) {
    // A group of its own, so that whatever it starts ends with it.
    setpgid(0, 0);
    const int null = open("/dev/null", O_RDWR);
    dup2(null, 0);
    dup2(null, 1);
    dup2(null, 2);
    execvp(argv[first], argv + first);
    _exit(127);
  }
  setpgid(pid, pid);

  double mapped = 0;
  long otherPid = 0;
  bool reaped = false;
  while (mapped == 0) {
    while (XPending(display)) {
      XEvent event;
      XNextEvent(display, &event);
      if (event.type != MapNotify || event.xmap.event != root || event.xmap.override_redirect)
        continue;
      const double at = Now();
      const long windowPid = WindowPid(display, event.xmap.window, netWmPid);
      if (windowPid != pid) {
        otherPid = windowPid;
        continue;
      }
      mapped = at;
      break;
    }
    if (mapped != 0) break;
    if (stopped) break;
    if (Reaped(pid)) {
      reaped = true;
      std::fprintf(stderr, "mapwait: %s ended before showing a window\n", argv[first]);
      break;
    }
    const double left = start + timeout - Now();
    if (left <= 0) {
      std::fprintf(stderr, "mapwait: no window from %s (pid %d) within %g s", argv[first],
                   static_cast<int>(pid), timeout);
      if (otherPid != 0) std::fprintf(stderr, "; one of pid %ld was mapped", otherPid);
      std::fprintf(stderr, "\n");
      break;
    }
    pollfd pfd{xfd, POLLIN, 0};
    // Short waits: the program's end is noticed by polling.
    poll(&pfd, 1, left < 0.05 ? static_cast<int>(left * 1000) + 1 : 50);
  }
  if (mapped == 0) {
    End(pid, reaped);
    XCloseDisplay(display);
    return 1;
  }

  if (timeOnly) {
    End(pid, false);
    XCloseDisplay(display);
    if (stopped) return 1;
    if (at)
      std::printf("%.6f %.6f\n", start, mapped);
    else
      std::printf("%.4f\n", mapped - start);
    return 0;
  }
  // The peak a second after the window is up (sleep ends early on a signal).
  sleep(1);
  const long peak = stopped ? -1 : PeakKiB(pid);
  End(pid, false);
  XCloseDisplay(display);
  if (stopped) return 1;
  if (peak < 0) {
    std::fprintf(stderr, "mapwait: no VmHWM for pid %d\n", static_cast<int>(pid));
    return 1;
  }
  std::printf("%.4f %ld\n", mapped - start, peak);
  return 0;
}
