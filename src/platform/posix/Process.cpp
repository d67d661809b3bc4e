#include "platform/Process.h"

#include <errno.h>
#include <spawn.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <vector>

#include "platform/Platform.h"

extern char** environ;

namespace platform {

namespace {

// Children nobody watches any more (an overwritten installer, the shell's
// opener); reaped whenever we pass by, so none stays a zombie.
std::vector<pid_t> g_abandoned;

void ReapAbandoned() {
  for (auto it = g_abandoned.begin(); it != g_abandoned.end();) {
    const pid_t r = waitpid(*it, nullptr, WNOHANG);
    if (r == *it || (r < 0 && errno == ECHILD)) it = g_abandoned.erase(it);
    else ++it;
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

// errno of a failed start -> the Windows code the report knows.
struct ErrnoCode {
  int Errno;
  std::int32_t Code;
};
constexpr ErrnoCode kErrnoCodes[] = {
    {ENOENT, 2},  // 3 when a directory on the way is missing, see below
    {ENOTDIR, 3}, {EACCES, 5}, {EPERM, 5}, {EISDIR, 5}, {ENOEXEC, 11},
};

std::int32_t WindowsCode(int err, const std::string& path) {
  if (err == ENOENT && ParentMissing(path)) return 3;
  for (const auto& e : kErrnoCodes)
    if (e.Errno == err) return e.Code;
  return err;
}

}  // namespace

bool StartProcess(const std::string& path, TProcessInformation& info, std::int32_t& error) {
  ReapAbandoned();
  const std::string native = NativePath(path);
  // The file itself, never a search path or a shell; no arguments.
  char* argv[] = {const_cast<char*>(native.c_str()), nullptr};
  pid_t pid = 0;
  if (const int err = posix_spawn(&pid, native.c_str(), nullptr, nullptr, argv, environ)) {
    error = WindowsCode(err, native);
    return false;
  }
  if (!info.Ended && info.Process > 0) g_abandoned.push_back(static_cast<pid_t>(info.Process));
  info = TProcessInformation{};
  info.Process = pid;
  info.ProcessId = static_cast<std::uint32_t>(pid);
  return true;
}

bool GetProcessExitCode(TProcessInformation& info, std::uint32_t& code) {
  ReapAbandoned();
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
  if (r < 0) return false;
  info.Ended = true;
  info.ExitCode = WIFEXITED(status) ? static_cast<std::uint32_t>(WEXITSTATUS(status))
                                    : 128u + static_cast<std::uint32_t>(WTERMSIG(status));
  code = info.ExitCode;
  return true;
}

std::intptr_t ShellOpen(const std::string& path) {
  ReapAbandoned();
  const std::string native = NativePath(path);
  struct stat st{};
  if (native.empty() || stat(native.c_str(), &st) != 0) return 2;  // ERROR_FILE_NOT_FOUND
  const char* opener = "xdg-open";
  char* argv[] = {const_cast<char*>(opener), const_cast<char*>(native.c_str()), nullptr};
  pid_t pid = 0;
  if (posix_spawnp(&pid, opener, nullptr, nullptr, argv, environ) != 0) return 31;  // no association
  g_abandoned.push_back(pid);
  return 33;
}

}  // namespace platform
