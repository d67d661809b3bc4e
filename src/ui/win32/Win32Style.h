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
const TStyle* ActiveStyle();

COLORREF ResolveColour(TColor colour);
// Dialog faces and push buttons.
COLORREF DialogFace();
COLORREF DialogText();

}  // namespace ui::win32
