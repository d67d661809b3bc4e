#include <windows.h>

#include "app/Startup.h"
#include "frontend/win32/Win32FrontEnd.h"
#include "platform/win32/SystemLibrary.h"

int WINAPI wWinMain(HINSTANCE, HINSTANCE, PWSTR, int showCommand) {
  // Before anything loads a DLL: none from the program's or the current folder.
#ifdef SKD_WITHOUT_DEFAULT_DLL_DIRECTORIES
  platform::RestrictLibrarySearch(false);  // as on a Windows 7 without KB2533623
#else
  platform::RestrictLibrarySearch();
#endif
  ui::win32::Win32FrontEnd frontEnd(showCommand);
  return app::RunApplication(frontEnd);
}
