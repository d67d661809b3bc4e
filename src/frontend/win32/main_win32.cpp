#include <windows.h>

#include "app/Startup.h"
#include "frontend/win32/Win32FrontEnd.h"

int WINAPI wWinMain(HINSTANCE, HINSTANCE, PWSTR, int showCommand) {
  ui::win32::Win32FrontEnd frontEnd(showCommand);
  return app::RunApplication(frontEnd);
}
