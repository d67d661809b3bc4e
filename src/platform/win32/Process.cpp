#include "platform/Process.h"

#include "platform/win32/Win.h"
#include <objbase.h>
#include <shellapi.h>

#include "platform/Platform.h"
#include "platform/win32/SystemLibrary.h"
#include "platform/win32/Wide.h"

namespace platform {

namespace {

// What CreateProcessW and ShellExecuteW take as a path: MAX_PATH with its
// terminating NUL. Windows refuses a longer one anyway, and some versions
// of Wine write a longer one over their own stack.
constexpr std::size_t kMaxCallPath = MAX_PATH - 1;

void Release(TProcessInformation& info) {
  if (info.Process) CloseHandle(reinterpret_cast<HANDLE>(info.Process));
  if (info.Thread) CloseHandle(reinterpret_cast<HANDLE>(info.Thread));
  info.Process = info.Thread = 0;
}

}  // namespace

bool StartProcess(const std::string& path, TProcessInformation& info, std::int32_t& error) {
  STARTUPINFOW si{};
  si.cb = sizeof(si);
  GetStartupInfoW(&si);
  const std::wstring application = Wide(path);
  if (application.size() > kMaxCallPath) {
    error = ERROR_FILENAME_EXCED_RANGE;
    return false;
  }
  PROCESS_INFORMATION pi{};
  if (!CreateProcessW(application.c_str(), nullptr, nullptr, nullptr, TRUE, NORMAL_PRIORITY_CLASS,
                      nullptr, nullptr, &si, &pi)) {
    error = static_cast<std::int32_t>(GetLastError());
    return false;
  }
  Release(info);  // an earlier child runs on unwatched
  info = TProcessInformation{};
  info.Process = reinterpret_cast<std::intptr_t>(pi.hProcess);
  info.Thread = reinterpret_cast<std::intptr_t>(pi.hThread);
  info.ProcessId = pi.dwProcessId;
  info.ThreadId = pi.dwThreadId;
  return true;
}

bool GetProcessExitCode(TProcessInformation& info, std::uint32_t& code) {
  if (info.Ended) {
    code = info.ExitCode;
    return true;
  }
  DWORD exitCode = 0;
  if (!info.Process || !GetExitCodeProcess(reinterpret_cast<HANDLE>(info.Process), &exitCode))
    return false;
  code = exitCode;
  if (exitCode != STILL_ACTIVE) {
    info.Ended = true;
    info.ExitCode = exitCode;
    Release(info);
  }
  return true;
}

std::intptr_t ShellOpen(const std::string& path) {
  const std::wstring file = Wide(path);
  if (file.size() > kMaxCallPath) {
    SetLastError(ERROR_FILENAME_EXCED_RANGE);
    return SE_ERR_PNF;
  }
  // Only a folder: for a "Docs" that is not there the shell would start a
  // "Docs.exe" beside it.
  if (!DirectoryExists(path)) return SE_ERR_FNF;
  // The shell and COM are loaded on first use: the menu starts sooner and
  // smaller without them.
  using ShellExecuteWFn = HINSTANCE(WINAPI*)(HWND, LPCWSTR, LPCWSTR, LPCWSTR, LPCWSTR, INT);
  using CoInitializeExFn = HRESULT(WINAPI*)(LPVOID, DWORD);
  static const auto shellExecute = [] {
    // The shell may hand the file to extensions that need COM on this thread.
    if (HMODULE ole32 = LoadSystemLibrary(L"ole32.dll"))
      if (const auto init = reinterpret_cast<CoInitializeExFn>(
              reinterpret_cast<void*>(GetProcAddress(ole32, "CoInitializeEx"))))
        init(nullptr, COINIT_APARTMENTTHREADED);
    HMODULE shell32 = LoadSystemLibrary(L"shell32.dll");
    return shell32 ? reinterpret_cast<ShellExecuteWFn>(
                         reinterpret_cast<void*>(GetProcAddress(shell32, "ShellExecuteW")))
                   : nullptr;
  }();
  if (!shellExecute) return SE_ERR_DLLNOTFOUND;
  return reinterpret_cast<std::intptr_t>(
      shellExecute(nullptr, L"open", file.c_str(), nullptr, nullptr, SW_SHOWNORMAL));
}

int EndedOpenerFailures(bool& running) {
  // ShellExecuteW has answered before it returns.
  running = false;
  return 0;
}

}  // namespace platform
