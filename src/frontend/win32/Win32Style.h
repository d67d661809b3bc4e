#pragma once
// The "Amethyst Kamri" style carried as a VCLSTYLE resource, and the colours
// the windows take from it (or from the system when it is not applied).

#include <windows.h>

#include <string>

#include "ui/Layout.h"
#include "ui/Style.h"

namespace ui::win32 {

// Loads the VCLSTYLE resource named after the style (upper case, no blanks)
// and makes it the active style; false when there is none.
bool ApplyStyle(const std::string& name);

COLORREF ResolveColour(TColor colour);
// Dialog faces and push buttons.
COLORREF DialogFace();
COLORREF DialogText();

// Push buttons under the style are drawn by us (BS_OWNERDRAW); the plain
// look keeps the system's. A "SkdDefault" window property marks the default.
DWORD PushButtonStyle(bool isDefault);
void MarkDefaultButton(HWND button, bool isDefault);
// Draws an owner-drawn push button of a window at `dpi`: face, frame,
// optional picture, caption.
void DrawStyledButton(const DRAWITEMSTRUCT& item, HBITMAP picture, int pictureWidth,
                      int pictureHeight, int dpi);

}  // namespace ui::win32
