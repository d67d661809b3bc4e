#pragma once
// Starting installers as child processes, polling them, and handing folders
// to the desktop's shell. Nothing passes through a command interpreter.

#include <cstdint>
#include <string>

namespace platform {

// Exit code that means "still running".
inline constexpr std::uint32_t kStillActive = 259;

// The child started last. Handles (Windows) or the pid (POSIX) stay open
// until the child has been seen to end.
struct TProcessInformation {
  std::intptr_t Process = 0;
  std::intptr_t Thread = 0;
  std::uint32_t ProcessId = 0;
  std::uint32_t ThreadId = 0;
  bool Ended = false;           // seen ended and released
  std::uint32_t ExitCode = 0;   // valid once Ended
};

// Starts `path` itself: no arguments, the menu's environment and current
// directory, no search path. An earlier child in `info` is let go (it runs
// on). On failure `error` holds the Windows error code of the reason.
bool StartProcess(const std::string& path, TProcessInformation& info, std::int32_t& error);

// The child's exit code, kStillActive while it runs. False when the query
// itself fails.
bool GetProcessExitCode(TProcessInformation& info, std::uint32_t& code);

// Opens a folder in the shell; above 32 is success, as ShellExecuteW. What
// is not a folder gives 2, as a missing file does, and the shell is not
// asked: for a "Docs" that is not there it would start a "Docs.exe". On
// Windows a path longer than the shell takes gives 3 at once. On POSIX the
// opener is started and not waited for.
std::intptr_t ShellOpen(const std::string& path);

// How many openers started by ShellOpen have ended with a failure since the
// last call; `running` tells whether any is still watched. None on Windows,
// whose shell answers before ShellOpen returns.
int EndedOpenerFailures(bool& running);

#ifndef _WIN32
// An opener still running after this long shows the folder itself: it is
// let go, and how it ends is not reported.
inline constexpr int kOpenerWatchMs = 15000;
// A start that failed for a reason no Windows code names: outside the codes
// the launch report explains, so it reads as a numbered error.
inline constexpr std::int32_t kOtherStartError = 1359;  // ERROR_INTERNAL_ERROR
// The Windows error code meaning what `err` (from starting `path`) means.
std::int32_t WindowsCodeOfErrno(int err, const std::string& path);
#endif

}  // namespace platform
