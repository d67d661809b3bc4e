/* A DLL planted where the menu must never take one from: beside it or in
   the folder it is started from. When loaded, it leaves "<its path>.ran"
   beside itself and does nothing else. */
#include <windows.h>

BOOL WINAPI DllMain(HINSTANCE self, DWORD reason, LPVOID reserved) {
  (void)reserved;
  if (reason == DLL_PROCESS_ATTACH) {
    /* Only the menu counts: Wine's own programs may come by too. */
    WCHAR host[MAX_PATH];
    const DWORD h = GetModuleFileNameW(NULL, host, MAX_PATH);
    const WCHAR* base = host + h;
    while (base > host && base[-1] != L'\\' && base[-1] != L'/') --base;
    if (h == 0 || h >= MAX_PATH || CompareStringW(LOCALE_INVARIANT, NORM_IGNORECASE, base, 8,
                                                 L"skdsetup", 8) != CSTR_EQUAL)
      return TRUE;
    WCHAR path[MAX_PATH + 8];
    const DWORD n = GetModuleFileNameW(self, path, MAX_PATH);
    if (n > 0 && n < MAX_PATH) {
      lstrcpyW(path + n, L".ran");
      const HANDLE f = CreateFileW(path, GENERIC_WRITE, 0, NULL, CREATE_ALWAYS, 0, NULL);
      if (f != INVALID_HANDLE_VALUE) CloseHandle(f);
    }
  }
  return TRUE;
}
