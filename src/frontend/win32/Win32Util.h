#pragma once
// UTF-8 <-> UTF-16 at the Win32 boundary, and small GDI helpers.

#include <windows.h>

#include <string>

#include "platform/win32/Wide.h"
#include "ui/FormRules.h"

namespace ui::win32 {

inline std::wstring W(const std::string& s) { return platform::Wide(s); }
// A text to draw: the system's text drawing is sure of CR LF breaks only.
inline std::wstring MessageText(const std::string& text) {
  return W(WithLineBreaks(text, "\r\n"));
}

inline COLORREF ToColorRef(std::uint32_t rgb) {
  return RGB((rgb >> 16) & 0xFF, (rgb >> 8) & 0xFF, rgb & 0xFF);
}

// Answers WM_PAINT: `paint` draws into the window's paint DC.
template <typename Paint>
LRESULT PaintWindow(HWND window, Paint paint) {
  PAINTSTRUCT ps;
  HDC dc = BeginPaint(window, &ps);
  paint(dc);
  EndPaint(window, &ps);
  return 0;
}

// Owns one GDI object.
template <typename T>
class GdiObject {
 public:
  GdiObject() = default;
  explicit GdiObject(T h) : h_(h) {}
  GdiObject(const GdiObject&) = delete;
  GdiObject& operator=(const GdiObject&) = delete;
  GdiObject(GdiObject&& o) noexcept : h_(o.h_) { o.h_ = nullptr; }
  GdiObject& operator=(GdiObject&& o) noexcept {
    if (this != &o) {
      Reset();
      h_ = o.h_;
      o.h_ = nullptr;
    }
    return *this;
  }
  ~GdiObject() { Reset(); }
  void Reset() {
    if (h_) DeleteObject(h_);
    h_ = nullptr;
  }
  T Get() const { return h_; }

 private:
  T h_ = nullptr;
};

}  // namespace ui::win32
