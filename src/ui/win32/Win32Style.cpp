#include "ui/win32/Win32Style.h"

#include <optional>

#include "ui/win32/Win32Util.h"

namespace ui::win32 {

namespace {
std::optional<TStyle> g_style;
}

bool ApplyStyle(const std::string& name) {
  std::wstring resName;
  for (wchar_t c : W(name))
    if (c != L' ') resName += static_cast<wchar_t>(towupper(c));
  HRSRC res = FindResourceW(nullptr, resName.c_str(), L"VCLSTYLE");
  if (!res) return false;
  HGLOBAL data = LoadResource(nullptr, res);
  const void* bytes = data ? LockResource(data) : nullptr;
  if (!bytes) return false;
  auto style = ParseStyle(std::string_view(static_cast<const char*>(bytes), SizeofResource(nullptr, res)));
  if (!style || style->Name != name) return false;
  g_style = *style;
  return true;
}

const TStyle* ActiveStyle() { return g_style ? &*g_style : nullptr; }

COLORREF ResolveColour(TColor colour) {
  if (!colour.IsSystem) return ToColorRef(colour.Rgb);
  const TStyle* s = ActiveStyle();
  switch (colour.System) {
    case SysColor::BtnHighlight: return s ? ToColorRef(s->BtnHighlight) : GetSysColor(COLOR_BTNHIGHLIGHT);
    // Under the style the system face is the window face; BtnFace paints push buttons.
    case SysColor::BtnFace: return s ? ToColorRef(s->Window) : GetSysColor(COLOR_BTNFACE);
    case SysColor::Window: return s ? ToColorRef(s->Window) : GetSysColor(COLOR_WINDOW);
    case SysColor::WindowText: return s ? ToColorRef(s->WindowText) : GetSysColor(COLOR_WINDOWTEXT);
  }
  return 0;
}

COLORREF DialogFace() {
  const TStyle* s = ActiveStyle();
  return s ? ToColorRef(s->Window) : GetSysColor(COLOR_BTNFACE);
}

COLORREF DialogText() {
  const TStyle* s = ActiveStyle();
  return s ? ToColorRef(s->WindowText) : GetSysColor(COLOR_WINDOWTEXT);
}

}  // namespace ui::win32
