/* The yardstick for the menu's start on Windows: one 482 x 281 window
   (client area) with one static label, shown as soon as the program starts. */

#include <windows.h>

static LRESULT CALLBACK WindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
  if (message == WM_DESTROY) {
    PostQuitMessage(0);
    return 0;
  }
  return DefWindowProcW(window, message, wParam, lParam);
}

int WINAPI wWinMain(HINSTANCE instance, HINSTANCE previous, PWSTR commandLine, int show) {
  (void)previous;
  (void)commandLine;
  WNDCLASSW windowClass = {0};
  windowClass.lpfnWndProc = WindowProc;
  windowClass.hInstance = instance;
  windowClass.hCursor = LoadCursorW(NULL, (LPCWSTR)IDC_ARROW);
  windowClass.hbrBackground = (HBRUSH)(COLOR_BTNFACE + 1);
  windowClass.lpszClassName = L"BareWindow";
  if (!RegisterClassW(&windowClass)) return 1;

  const DWORD style = WS_OVERLAPPED | WS_CAPTION | WS_SYSMENU | WS_MINIMIZEBOX;
  RECT rect = {0, 0, 482, 281};
  AdjustWindowRect(&rect, style, FALSE);
  HWND window = CreateWindowW(L"BareWindow", L"bare", style, CW_USEDEFAULT, CW_USEDEFAULT,
                              rect.right - rect.left, rect.bottom - rect.top, NULL, NULL,
                              instance, NULL);
  if (!window) return 1;
  CreateWindowW(L"STATIC", L"\x0414\x0438\x0441\x043A \x0434\x0438\x0441\x0442\x0440\x0438"
                L"\x0431\x0443\x0442\x0438\x0432\x0430",
                WS_CHILD | WS_VISIBLE, 16, 16, 300, 20, window, NULL, instance, NULL);
  ShowWindow(window, show);
  UpdateWindow(window);

  MSG message;
  while (GetMessageW(&message, NULL, 0, 0) > 0) {
    TranslateMessage(&message);
    DispatchMessageW(&message);
  }
  return (int)message.wParam;
}
