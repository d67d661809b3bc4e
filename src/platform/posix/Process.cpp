#include "platform/Process.h"

#include <errno.h>
#include <signal.h>
#include <spawn.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <mutex>
#include <new>
#include <system_error>
#include <thread>
#include <vector>

#include "platform/Platform.h"

extern char** environ;

namespace platform {

namespace {

// A parent that ignored SIGCHLD passes that on through exec, and then no
// child could ever be waited for: the status line would say "installing"
// for good. The menu wants its children's ends, so it takes the default.
void WantChildEnds() {
  static std::once_flag once;
  std::call_once(once, [] {
    struct sigaction current{};
    if (sigaction(SIGCHLD, nullptr, &current) == 0 && current.sa_handler == SIG_IGN) {
      struct sigaction dfl{};
      dfl.sa_handler = SIG_DFL;
      sigemptyset(&dfl.sa_mask);
      sigaction(SIGCHLD, &dfl, nullptr);
    }
  });
}

// Children nobody watches any more (an earlier installer, the shell's
// opener) are reaped the moment they end, each by a thread of its own that
// waits for exactly that child, so none stays a zombie while the menu idles
// and the watched child is never reaped behind the monitor's back.
std::mutex g_leftMutex;
std::vector<pid_t> g_left;  // when no thread could be had: reaped in passing

void ReapLeftInPassing() {
  std::lock_guard<std::mutex> lock(g_leftMutex);
  for (auto it = g_left.begin(); it != g_left.end();) {
    const pid_t r = waitpid(*it, nullptr, WNOHANG);
    if (r == *it || (r < 0 && errno == ECHILD)) it = g_left.erase(it);
    else ++it;
  }
}

void LetGo(pid_t pid) {
  try {
    std::thread([pid] {
      while (waitpid(pid, nullptr, 0) < 0 && errno == EINTR) {
      }
    }).detach();
  } catch (const std::system_error&) {
    std::lock_guard<std::mutex> lock(g_leftMutex);
    g_left.push_back(pid);
  }
}

bool ParentMissing(const std::string& path) {
  const auto slash = path.find_last_of('/');
  const std::string parent = slash == std::string::npos ? std::string(".")
                             : slash == 0               ? std::string("/")
                                                        : path.substr(0, slash);
  struct stat st{};
  return path.empty() || stat(parent.c_str(), &st) != 0 || !S_ISDIR(st.st_mode);
}

// errno of a failed start -> the Windows code of the same meaning.
struct ErrnoCode {
  int Errno;
  std::int32_t Code;
};
constexpr ErrnoCode kErrnoCodes[] = {
    {ENOENT, 2},  // 3 or 11, see below
    {ENOTDIR, 3},         {EACCES, 5},     {EPERM, 5},     {EISDIR, 5},
    {ENOEXEC, 11},        {ELIBBAD, 11},   {EIO, 1117},    {ENOMEM, 8},
    {EAGAIN, 8},          {ENAMETOOLONG, 206}, {ETXTBSY, 32}, {ELOOP, 1921},
    {EMFILE, 4},          {ENFILE, 4},     {ENXIO, 21},    {ENODEV, 21},
    {ENOMEDIUM, 21},      {EINVAL, 87},    {EFAULT, 87},   {E2BIG, 1639},
    {EOVERFLOW, 11},
};

}  // namespace

std::int32_t WindowsCodeOfErrno(int err, const std::string& path) {
  if (err == ENOENT) {
    if (ParentMissing(path)) return 3;
    // The file is there, so what is missing is its interpreter or loader
    // (most often "#!/bin/sh\r" from a disc written on Windows).
    struct stat st{};
    if (stat(path.c_str(), &st) == 0) return 11;
    return 2;
  }
  for (const auto& e : kErrnoCodes)
    if (e.Errno == err) return e.Code;
  return kOtherStartError;
}

bool StartProcess(const std::string& path, TProcessInformation& info, std::int32_t& error) {
  WantChildEnds();
  ReapLeftInPassing();
  const std::string native = NativePath(path);
  // The file itself, never a search path or a shell; no arguments.
  char* argv[] = {const_cast<char*>(native.c_str()), nullptr};
  pid_t pid = 0;
  if (const int err = posix_spawn(&pid, native.c_str(), nullptr, nullptr, argv, environ)) {
    error = WindowsCodeOfErrno(err, native);
    return false;
  }
  if (!info.Ended && info.Process > 0) LetGo(static_cast<pid_t>(info.Process));
  info = TProcessInformation{};
  info.Process = pid;
  info.ProcessId = static_cast<std::uint32_t>(pid);
  return true;
}

bool GetProcessExitCode(TProcessInformation& info, std::uint32_t& code) {
  ReapLeftInPassing();
  if (info.Ended) {
    code = info.ExitCode;
    return true;
  }
  if (info.Process <= 0) return false;
  int status = 0;
  const pid_t r = waitpid(static_cast<pid_t>(info.Process), &status, WNOHANG);
  if (r == 0) {
    code = kStillActive;
    return true;
  }
  if (r < 0 && errno != ECHILD) return false;
  info.Ended = true;
  if (r < 0) {
    info.ExitCode = 0;  // reaped by the system: ended, with no code to tell
  } else {
    info.ExitCode = WIFEXITED(status) ? static_cast<std::uint32_t>(WEXITSTATUS(status))
                                      : 128u + static_cast<std::uint32_t>(WTERMSIG(status));
  }
  code = info.ExitCode;
  return true;
}

namespace {

// Openers handed a folder and not yet seen to end, with when they started.
struct Opener {
  pid_t Pid;
  std::chrono::steady_clock::time_point Started;
};
std::vector<Opener> g_openers;

}  // namespace

std::intptr_t ShellOpen(const std::string& path) {
  WantChildEnds();
  ReapLeftInPassing();
  // Only a folder, as on Windows, where the shell would start a "Docs.exe"
  // for a "Docs" that is not there.
  if (!DirectoryExists(path)) return 2;  // ERROR_FILE_NOT_FOUND
  const std::string native = NativePath(path);
  const char* opener = "xdg-open";
  char* argv[] = {const_cast<char*>(opener), const_cast<char*>(native.c_str()), nullptr};
  pid_t pid = 0;
  if (posix_spawnp(&pid, opener, nullptr, nullptr, argv, environ) != 0) return 31;  // no association
  // Not waited for: the window goes on while the opener works, and the
  // monitor's ticks ask how it ended (EndedOpenerFailures).
  try {
    g_openers.push_back({pid, std::chrono::steady_clock::now()});
  } catch (const std::bad_alloc&) {
    LetGo(pid);
  }
  return 33;
}

int EndedOpenerFailures(bool& running) {
  int failed = 0;
  const auto now = std::chrono::steady_clock::now();
  for (auto it = g_openers.begin(); it != g_openers.end();) {
    int status = 0;
    const pid_t r = waitpid(it->Pid, &status, WNOHANG);
    if (r == 0) {
      // A well-behaved opener hands the folder on and ends; one that stays
      // this long shows the folder itself, which has worked as far as
      // anyone can tell: its end is no news.
      if (now - it->Started < std::chrono::milliseconds(kOpenerWatchMs)) {
        ++it;
        continue;
      }
      LetGo(it->Pid);
    } else if (r == it->Pid && !(WIFEXITED(status) && WEXITSTATUS(status) == 0)) {
      ++failed;  // no application for it, no such folder, or it failed
    } else if (r < 0 && errno == EINTR) {
      ++it;
      continue;
    }
    // Ended well, or reaped by the system (nothing to tell).
    it = g_openers.erase(it);
  }
  running = !g_openers.empty();
  return failed;
}

}  // namespace platform
