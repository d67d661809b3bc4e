#pragma once
// The program's pictures, decoded from its resources into 32-bit
// premultiplied bitmaps ready for AlphaBlend.

#include <windows.h>

#include <string>

#include "ui/win32/Win32Util.h"

namespace ui::win32 {

struct Picture {
  GdiObject<HBITMAP> Bitmap;
  int Width = 0;
  int Height = 0;
  bool Empty() const { return !Bitmap.Get(); }
};

// "SoftSetup.bmp" is the RCDATA resource "SOFTSETUP_BMP". Bitmaps leave the
// colour of their bottom-left pixel undrawn; PNGs keep their alpha.
Picture LoadPicture(const std::string& name, bool greyed = false);

void DrawPicture(HDC dc, const Picture& picture, int x, int y);

}  // namespace ui::win32
