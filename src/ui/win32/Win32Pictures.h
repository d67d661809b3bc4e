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
// Draws the `source` part of a picture into `target`, stretched to fit.
void DrawPicturePart(HDC dc, const Picture& picture, const RECT& target, const RECT& source);

// A looping animation in a child window of its own: the strip holds the
// frames side by side, each `frameWidth` pixels wide. Made inactive, showing
// its first frame; the hourglass over it.
class Animation {
 public:
  static constexpr UINT kFrameMs = 90;  // about 11 frames a second

  // The window owns the control; null when the window cannot be made.
  static HWND Create(HWND parent, const RECT& bounds, const std::string& strip, int frameWidth,
                     HMENU id);
  // The control of an animation window; null for any other window.
  static Animation* From(HWND window);

  void SetActive(bool active);
  bool Active() const { return active_; }
  int Frame() const { return frame_; }
  int FrameCount() const { return frames_; }
  // Advances by the frames due since the last step and paints at once,
  // without handling any message: for pauses that block the message loop.
  void CatchUp();

 private:
  Animation(const std::string& strip, int frameWidth);
  static LRESULT CALLBACK Proc(HWND, UINT, WPARAM, LPARAM);
  void Step(int frames);
  void Paint(HDC dc);

  HWND hwnd_ = nullptr;
  bool ownedByWindow_ = false;
  Picture strip_;
  int frameWidth_ = 0;
  int frames_ = 0;
  int frame_ = 0;
  bool active_ = false;
  ULONGLONG stepped_ = 0;
};

}  // namespace ui::win32
