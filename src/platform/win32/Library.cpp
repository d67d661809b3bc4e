#include "platform/Library.h"
#include "platform/Platform.h"

#include "platform/win32/SystemLibrary.h"
#include "platform/win32/Wide.h"

#include <vector>

namespace platform {

namespace {

bool g_defaultDirectories = false;  // SetDefaultDllDirectories is in effect

std::wstring Folder(UINT (WINAPI* get)(LPWSTR, UINT)) {
  wchar_t buffer[MAX_PATH];
  const UINT n = get(buffer, MAX_PATH);
  return n > 0 && n < MAX_PATH ? std::wstring(buffer, n) : std::wstring();
}

std::wstring ProgramFolder() {
  const std::wstring path = Wide(ExecutablePath());
  return path.substr(0, path.find_last_of(L"\\/") + 1);
}

// Not KnownDLLs, loaded by name by the system DLLs the menu uses (the
// window's theme, the shell, COM): loaded from System32 up front where
// nothing else keeps those names from the program's folder.
constexpr const wchar_t* kLoadedByName[] = {
    L"dwmapi.dll",  L"uxtheme.dll",  L"version.dll",   L"cryptbase.dll", L"profapi.dll",
    L"userenv.dll", L"apphelp.dll",  L"propsys.dll",   L"oleacc.dll",    L"ntmarta.dll",
    L"sspicli.dll", L"linkinfo.dll", L"ntshrui.dll",   L"cscapi.dll",    L"srvcli.dll",
};

}  // namespace

void RestrictLibrarySearch(bool useDefaultDirectories) {
  // The current folder never supplies a DLL, whatever else follows.
  SetDllDirectoryW(L"");
  if (useDefaultDirectories) {
    using SetDefaultDllDirectoriesFn = BOOL(WINAPI*)(DWORD);
    const auto set = reinterpret_cast<SetDefaultDllDirectoriesFn>(reinterpret_cast<void*>(
        GetProcAddress(GetModuleHandleW(L"kernel32.dll"), "SetDefaultDllDirectories")));
    g_defaultDirectories = set && set(LOAD_LIBRARY_SEARCH_SYSTEM32);
  }
  // COM, loaded by name by the input methods of Wine's user32 past the
  // default directories, with its combase (KnownDLLs on Windows, so cheap).
  LoadSystemLibrary(L"ole32.dll");
  if (g_defaultDirectories) return;
  for (const wchar_t* name : kLoadedByName) LoadSystemLibrary(name);
}

HMODULE LoadSystemLibrary(const wchar_t* name) {
  const std::wstring system = Folder(GetSystemDirectoryW);
  if (system.empty()) return nullptr;
  // Its own imports from System32 first, not from the program's folder.
  return LoadLibraryExW((system + L"\\" + name).c_str(), nullptr,
                        g_defaultDirectories ? LOAD_LIBRARY_SEARCH_SYSTEM32
                                             : LOAD_WITH_ALTERED_SEARCH_PATH);
}

// The client library keeps the classic search: the program's folder, a
// folder the process set, the system folders, then PATH; never the current
// folder. System32 alone, as everything else now uses, would miss a client
// installed into the server's folder on PATH, so the search is made here.
void* OpenLibrary(const std::string& name) {
  const std::wstring file = Wide(name);
  if (file.empty()) return nullptr;
  if (const HMODULE loaded = GetModuleHandleW(file.c_str())) return loaded;
  if (file.find_first_of(L"\\/:") != std::wstring::npos)
    return LoadLibraryExW(file.c_str(), nullptr, LOAD_WITH_ALTERED_SEARCH_PATH);
  std::vector<std::wstring> folders = {ProgramFolder()};
  {
    wchar_t set[MAX_PATH];
    const DWORD n = GetDllDirectoryW(MAX_PATH, set);
    if (n > 0 && n < MAX_PATH) folders.emplace_back(set, n);
  }
  folders.push_back(Folder(GetSystemDirectoryW));
  if (const std::wstring windows = Folder(GetWindowsDirectoryW); !windows.empty()) {
    folders.push_back(windows + L"\\System");
    folders.push_back(windows);
  }
  const DWORD pathSize = GetEnvironmentVariableW(L"PATH", nullptr, 0);
  std::wstring path(pathSize, L'\0');
  path.resize(GetEnvironmentVariableW(L"PATH", path.data(), pathSize));
  for (std::size_t start = 0; start <= path.size();) {
    std::size_t end = path.find(L';', start);
    if (end == std::wstring::npos) end = path.size();
    std::wstring folder = path.substr(start, end - start);
    if (folder.size() >= 2 && folder.front() == L'"' && folder.back() == L'"')
      folder = folder.substr(1, folder.size() - 2);
    // Only absolute folders: ".", or a relative one, is the current folder again.
    const bool absolute = (folder.size() >= 3 && folder[1] == L':' &&
                           (folder[2] == L'\\' || folder[2] == L'/')) ||
                          folder.rfind(L"\\\\", 0) == 0;
    if (absolute) folders.push_back(folder);
    start = end + 1;
  }
  // The search may pass an empty CD or card drive (the menu runs from a
  // disc): no "insert a disk" box, just a failed load.
  DWORD previousMode = 0;
  const BOOL modeSet =
      SetThreadErrorMode(SEM_FAILCRITICALERRORS | SEM_NOOPENFILEERRORBOX, &previousMode);
  HMODULE module = nullptr;
  bool found = false;
  for (std::wstring folder : folders) {
    if (folder.empty()) continue;
    if (folder.back() != L'\\' && folder.back() != L'/') folder += L'\\';
    const std::wstring candidate = folder + file;
    const DWORD attributes = GetFileAttributesW(candidate.c_str());
    if (attributes == INVALID_FILE_ATTRIBUTES || (attributes & FILE_ATTRIBUTE_DIRECTORY)) continue;
    // The first one found decides, as in the system's own search; its own
    // imports are looked for beside it first (a client and its runtime).
    module = LoadLibraryExW(candidate.c_str(), nullptr,
                            g_defaultDirectories
                                ? LOAD_LIBRARY_SEARCH_DLL_LOAD_DIR | LOAD_LIBRARY_SEARCH_DEFAULT_DIRS
                                : LOAD_WITH_ALTERED_SEARCH_PATH);
    found = true;
    break;
  }
  if (!found) SetLastError(ERROR_MOD_NOT_FOUND);
  if (modeSet) SetThreadErrorMode(previousMode, nullptr);
  return module;
}

TLibraryProc LibraryProc(void* library, const std::string& symbol) {
  if (!library) return nullptr;
  return reinterpret_cast<TLibraryProc>(
      GetProcAddress(static_cast<HMODULE>(library), symbol.c_str()));
}

}  // namespace platform
