#include "frontend/win32/Win32Dpi.h"

#include <initializer_list>

namespace ui::win32 {

namespace {

bool g_windows7Only = false;

// A user32 function of a newer Windows, or null.
template <typename Fn>
Fn User32(const char* name) {
  HMODULE user32 = GetModuleHandleW(L"user32.dll");
  return user32 ? reinterpret_cast<Fn>(reinterpret_cast<void*>(GetProcAddress(user32, name)))
                : nullptr;
}

using GetDpiForWindowFn = UINT(WINAPI*)(HWND);
using AdjustWindowRectExForDpiFn = BOOL(WINAPI*)(RECT*, DWORD, BOOL, DWORD, UINT);
using SystemParametersInfoForDpiFn = BOOL(WINAPI*)(UINT, UINT, void*, UINT, UINT);
using EnableNonClientDpiScalingFn = BOOL(WINAPI*)(HWND);

}  // namespace

void UseWindows7ApisOnly(bool only) { g_windows7Only = only; }

int SystemDpi() {
  HDC dc = GetDC(nullptr);
  const int dpi = dc ? GetDeviceCaps(dc, LOGPIXELSY) : 0;
  if (dc) ReleaseDC(nullptr, dc);
  return dpi > 0 ? dpi : kBaseDpi;
}

int WindowDpi(HWND window) {
  static const auto fn = User32<GetDpiForWindowFn>("GetDpiForWindow");
  if (fn && !g_windows7Only && window)
    if (const UINT dpi = fn(window)) return static_cast<int>(dpi);
  return SystemDpi();
}

void AdjustWindowRectForDpi(RECT& rect, DWORD style, DWORD exStyle, int dpi) {
  static const auto fn = User32<AdjustWindowRectExForDpiFn>("AdjustWindowRectExForDpi");
  if (fn && !g_windows7Only && fn(&rect, style, FALSE, exStyle, static_cast<UINT>(dpi))) return;
  AdjustWindowRectEx(&rect, style, FALSE, exStyle);
}

NONCLIENTMETRICSW NonClientMetricsForDpi(int dpi) {
  static const auto fn = User32<SystemParametersInfoForDpiFn>("SystemParametersInfoForDpi");
  NONCLIENTMETRICSW m{};
  m.cbSize = sizeof(m);
  if (fn && !g_windows7Only &&
      fn(SPI_GETNONCLIENTMETRICS, sizeof(m), &m, 0, static_cast<UINT>(dpi)))
    return m;
  SystemParametersInfoW(SPI_GETNONCLIENTMETRICS, sizeof(m), &m, 0);
  // These are at the system DPI.
  const int system = SystemDpi();
  if (dpi != system)
    for (LOGFONTW* f :
         {&m.lfCaptionFont, &m.lfSmCaptionFont, &m.lfMenuFont, &m.lfStatusFont, &m.lfMessageFont})
      f->lfHeight = MulDiv(f->lfHeight, dpi, system);
  return m;
}

void EnableNonClientScaling(HWND window) {
  static const auto fn = User32<EnableNonClientDpiScalingFn>("EnableNonClientDpiScaling");
  if (fn && !g_windows7Only) fn(window);
}

void FitClientArea(HWND window, int width, int height) {
  RECT client, frame;
  GetClientRect(window, &client);
  if (client.right == width && client.bottom == height) return;
  GetWindowRect(window, &frame);
  SetWindowPos(window, nullptr, 0, 0, frame.right - frame.left + width - client.right,
               frame.bottom - frame.top + height - client.bottom,
               SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);
}

}  // namespace ui::win32
