#include "frontend/win32/Win32Style.h"

#include "frontend/win32/Win32Dpi.h"
#include "frontend/win32/Win32Util.h"

namespace ui::win32 {

bool ApplyStyle(const std::string& name) {
  std::wstring resName;
  for (wchar_t c : W(name))
    if (c != L' ') resName += static_cast<wchar_t>(towupper(c));
  HRSRC res = FindResourceW(nullptr, resName.c_str(), L"VCLSTYLE");
  if (!res) return false;
  HGLOBAL data = LoadResource(nullptr, res);
  const void* bytes = data ? LockResource(data) : nullptr;
  if (!bytes) return false;
  return ActivateStyle(
             std::string_view(static_cast<const char*>(bytes), SizeofResource(nullptr, res)),
             name) != nullptr;
}

COLORREF ResolveColour(TColor colour) {
  if (const auto rgb = StyleColour(colour, ActiveStyle())) return ToColorRef(*rgb);
  switch (colour.System) {
    case SysColor::BtnHighlight: return GetSysColor(COLOR_BTNHIGHLIGHT);
    case SysColor::BtnFace: return GetSysColor(COLOR_BTNFACE);
    case SysColor::Window: return GetSysColor(COLOR_WINDOW);
    case SysColor::WindowText: return GetSysColor(COLOR_WINDOWTEXT);
  }
  return 0;
}

COLORREF DialogFace() { return ResolveColour(TColor::Sys(SysColor::BtnFace)); }

COLORREF DialogText() { return ResolveColour(TColor::Sys(SysColor::WindowText)); }

DWORD PushButtonStyle(bool isDefault) {
  if (ActiveStyle()) return BS_OWNERDRAW;
  return isDefault ? BS_DEFPUSHBUTTON : BS_PUSHBUTTON;
}

void MarkDefaultButton(HWND button, bool isDefault) {
  if (isDefault) SetPropW(button, L"SkdDefault", reinterpret_cast<HANDLE>(1));
}

void DrawStyledButton(const DRAWITEMSTRUCT& item, HBITMAP picture, int pictureWidth,
                      int pictureHeight, int dpi) {
  const TStyle* s = ActiveStyle();
  if (!s) return;
  HDC dc = item.hDC;
  RECT r = item.rcItem;
  const bool pressed = item.itemState & ODS_SELECTED;
  const bool focused = item.itemState & ODS_FOCUS;
  const bool isDefault = GetPropW(item.hwndItem, L"SkdDefault") != nullptr;

  // The corners show the dialog's face.
  HBRUSH face = CreateSolidBrush(ToColorRef(s->Window));
  FillRect(dc, &r, face);
  DeleteObject(face);
  HBRUSH fill = CreateSolidBrush(ToColorRef(pressed ? s->BtnBorder : s->BtnFace));
  // The default button's dark frame says what Enter does when no other
  // button has the focus; the focus is a ring of its own inside the frame,
  // in the caption's colour, which stands out from the face as the caption does.
  HPEN pen = CreatePen(PS_SOLID, ScaleTo(isDefault ? 2 : 1, dpi),
                       ToColorRef(isDefault ? s->WindowText : s->BtnBorder));
  HGDIOBJ oldBrush = SelectObject(dc, fill);
  HGDIOBJ oldPen = SelectObject(dc, pen);
  const int inset = ScaleTo(1, dpi), corner = ScaleTo(6, dpi);
  RoundRect(dc, r.left + inset, r.top + inset, r.right - inset, r.bottom - inset, corner, corner);
  if (focused) {
    HPEN ring = CreatePen(PS_SOLID, ScaleTo(1, dpi), ToColorRef(s->BtnText));
    SelectObject(dc, ring);
    SelectObject(dc, GetStockObject(NULL_BRUSH));
    const int in = ScaleTo(4, dpi);
    RoundRect(dc, r.left + in, r.top + in, r.right - in, r.bottom - in, corner - inset,
              corner - inset);
    SelectObject(dc, pen);
    DeleteObject(ring);
  }
  SelectObject(dc, oldPen);
  SelectObject(dc, oldBrush);
  DeleteObject(pen);
  DeleteObject(fill);

  wchar_t caption[128] = {};
  GetWindowTextW(item.hwndItem, caption, 128);
  SetBkMode(dc, TRANSPARENT);
  SetTextColor(dc, ToColorRef(s->BtnText));
  RECT text = r;
  if (picture) {
    // Picture and caption side by side, centred together.
    RECT measure{0, 0, 0, 0};
    DrawTextW(dc, caption, -1, &measure, DT_CALCRECT | DT_SINGLELINE);
    const int gap = ScaleTo(4, dpi), total = pictureWidth + gap + measure.right;
    const int x = (r.left + r.right - total) / 2;
    HDC mem = CreateCompatibleDC(dc);
    HGDIOBJ old = SelectObject(mem, picture);
    BLENDFUNCTION blend{AC_SRC_OVER, 0, 255, AC_SRC_ALPHA};
    GdiAlphaBlend(dc, x, (r.top + r.bottom - pictureHeight) / 2, pictureWidth, pictureHeight, mem,
                  0, 0, pictureWidth, pictureHeight, blend);
    SelectObject(mem, old);
    DeleteDC(mem);
    text.left = x + pictureWidth + gap;
    DrawTextW(dc, caption, -1, &text, DT_SINGLELINE | DT_VCENTER | DT_LEFT);
  } else {
    DrawTextW(dc, caption, -1, &text, DT_SINGLELINE | DT_VCENTER | DT_CENTER);
  }
}

}  // namespace ui::win32
