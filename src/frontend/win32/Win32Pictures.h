#pragma once
// The program's pictures, decoded from its resources into 32-bit
// premultiplied bitmaps ready for AlphaBlend.

#include <windows.h>

#include <string>

#include "frontend/win32/Win32Dpi.h"
#include "frontend/win32/Win32Util.h"
#include "ui/F_Info.h"

namespace ui::win32 {

struct Picture {
  GdiObject<HBITMAP> Bitmap;
  int Width = 0;
  int Height = 0;
  bool Empty() const { return !Bitmap.Get(); }
};

// "SoftSetup.bmp" is the RCDATA resource "SOFTSETUP_BMP", its double-size
// drawing "SOFTSETUP_BMP_2X". Bitmaps leave the colour of their bottom-left
// pixel undrawn; PNGs keep their alpha. At `dpi` the picture is its 96-dpi
// size times dpi/96: the 96-dpi drawing itself at 96, otherwise the
// double-size one (or, lacking it, the 96-dpi one) resampled. A strip of
// frames `frameWidth` wide at 96 dpi is resampled frame by frame, so that
// no frame bleeds into the next.
Picture LoadPicture(const std::string& name, bool greyed = false, int dpi = kBaseDpi,
                    int frameWidth = 0);

// Resamples premultiplied BGRA pixels: area averaging when shrinking,
// linear interpolation when growing. Strides are in bytes.
void ResamplePremultiplied(const BYTE* source, int sourceWidth, int sourceHeight, int sourceStride,
                           BYTE* target, int targetWidth, int targetHeight, int targetStride);

void DrawPicture(HDC dc, const Picture& picture, int x, int y);
// Draws the `source` part of a picture into `target`, stretched to fit.
void DrawPicturePart(HDC dc, const Picture& picture, const RECT& target, const RECT& source);

// A looping animation in a child window of its own: the strip holds the
// frames side by side, each `frameWidth` pixels wide. Made inactive, showing
// its first frame; the hourglass over it.
class Animation {
 public:
  // The window owns the control; null when the window cannot be made.
  // `frameWidth` is at 96 dpi; the frames are drawn at `dpi`.
  static HWND Create(HWND parent, const RECT& bounds, const std::string& strip, int frameWidth,
                     HMENU id, int dpi = kBaseDpi);
  // The control of an animation window; null for any other window.
  static Animation* From(HWND window);

  void SetActive(bool active);
  bool Active() const { return active_; }
  int Frame() const { return clock_.Frame(); }
  int FrameCount() const { return clock_.Frames(); }
  // Advances by the frames due since the last step and paints at once,
  // without handling any message: for pauses that block the message loop.
  void CatchUp();
  // Takes the frames drawn for another DPI, keeping its place in the loop.
  void SetDpi(int dpi);
  const Picture& Strip() const { return strip_; }

 private:
  Animation(const std::string& strip, int frameWidth, int dpi);
  static LRESULT CALLBACK Proc(HWND, UINT, WPARAM, LPARAM);
  void Step();
  void Paint(HDC dc);

  HWND hwnd_ = nullptr;
  bool ownedByWindow_ = false;
  std::string stripName_;
  int baseFrameWidth_ = 0;  // at 96 dpi
  int dpi_ = 0;
  Picture strip_;
  int frameWidth_ = 0;
  TFrameClock clock_;
  bool active_ = false;
};

}  // namespace ui::win32
