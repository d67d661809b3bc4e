#pragma once
// Screen scale. Layouts are drawn at 96 dots per inch and scaled to the DPI
// of the window's monitor. The per-monitor calls of Windows 8.1 and 10 are
// looked up at run time: the program still starts on Windows 7, where every
// window has the one system DPI.

#include <windows.h>

// Windows 10's; the headers give it only for that version.
#ifndef WM_GETDPISCALEDSIZE
#define WM_GETDPISCALEDSIZE 0x02E4
#endif

namespace ui::win32 {

inline constexpr int kBaseDpi = 96;

// Layout pixels at `dpi`, rounded to nearest.
inline int ScaleTo(int pixels, int dpi) { return MulDiv(pixels, dpi, kBaseDpi); }

int SystemDpi();
// The DPI the window is drawn at; the system DPI where Windows has no other.
int WindowDpi(HWND window);
// AdjustWindowRectEx for a window at `dpi` (no menu).
void AdjustWindowRectForDpi(RECT& rect, DWORD style, DWORD exStyle, int dpi);
// The system's non-client fonts and sizes at `dpi`.
NONCLIENTMETRICSW NonClientMetricsForDpi(int dpi);
// For WM_NCCREATE: lets per-monitor v1 systems scale the caption too (v2
// does it unasked).
void EnableNonClientScaling(HWND window);
// Resizes a window, keeping its top-left, so that its client area is
// width x height: a suggested rectangle can be off by a frame's difference.
void FitClientArea(HWND window, int width, int height);
// Tests: behave as on Windows 7, where none of the newer calls exists.
void UseWindows7ApisOnly(bool only);

}  // namespace ui::win32
