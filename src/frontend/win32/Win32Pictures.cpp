#include "frontend/win32/Win32Pictures.h"

#include <algorithm>
#include <cmath>
#include <memory>
#include <vector>

#include "ui/Pictures.h"

namespace ui::win32 {

namespace {

std::wstring ResourceName(const std::string& file) {
  std::wstring name;
  for (char c : file) name += c == '.' ? L'_' : static_cast<wchar_t>(toupper(static_cast<unsigned char>(c)));
  return name;
}

bool LoadResourcePixels(const std::wstring& name, DecodedPicture& out) {
  HRSRC res = FindResourceW(nullptr, name.c_str(), MAKEINTRESOURCEW(10) /*RT_RCDATA*/);
  HGLOBAL data = res ? LoadResource(nullptr, res) : nullptr;
  const void* bytes = data ? LockResource(data) : nullptr;
  return bytes && DecodePicture(static_cast<const BYTE*>(bytes), SizeofResource(nullptr, res), out);
}

// Keys out a bitmap's transparent colour, greys if asked, premultiplies.
void Prepare(DecodedPicture& p, bool keyed, bool greyed) {
  std::vector<BYTE>& px = p.Bgra;
  const size_t bl = static_cast<size_t>(p.Height - 1) * static_cast<size_t>(p.Width) * 4;
  const std::uint32_t key = static_cast<std::uint32_t>(px[bl + 2]) << 16 | px[bl + 1] << 8 | px[bl];
  for (size_t i = 0; i < px.size(); i += 4) {
    BYTE& b = px[i];
    BYTE& g = px[i + 1];
    BYTE& r = px[i + 2];
    BYTE& a = px[i + 3];
    std::uint32_t argb = static_cast<std::uint32_t>(a) << 24 | r << 16 | g << 8 | b;
    if (keyed) argb = KeyedPixel(argb, key);
    if (greyed) argb = GreyedPixel(argb);
    a = static_cast<BYTE>(argb >> 24);
    r = static_cast<BYTE>(argb >> 16);
    g = static_cast<BYTE>(argb >> 8);
    b = static_cast<BYTE>(argb);
    // AlphaBlend wants premultiplied colour.
    r = static_cast<BYTE>(r * a / 255);
    g = static_cast<BYTE>(g * a / 255);
    b = static_cast<BYTE>(b * a / 255);
  }
}

struct Tap {
  int Source;
  float Weight;
};

// For each target pixel along one axis, the source pixels it is made of.
std::vector<std::vector<Tap>> Taps(int from, int to) {
  std::vector<std::vector<Tap>> taps(static_cast<size_t>(to));
  const double ratio = static_cast<double>(from) / to;
  for (int i = 0; i < to; ++i) {
    auto& t = taps[static_cast<size_t>(i)];
    if (to < from) {
      // The share of each source pixel in the target pixel's span.
      const double begin = i * ratio, end = (i + 1) * ratio;
      for (int j = static_cast<int>(begin); j < from && j < end; ++j) {
        const double overlap = std::min<double>(j + 1, end) - std::max<double>(j, begin);
        if (overlap > 1e-9) t.push_back({j, static_cast<float>(overlap / ratio)});
      }
    } else {
      const double centre = (i + 0.5) * ratio - 0.5;
      const int j = static_cast<int>(std::floor(centre));
      const float f = static_cast<float>(centre - j);
      t.push_back({std::clamp(j, 0, from - 1), 1 - f});
      if (f > 1e-6f) t.push_back({std::clamp(j + 1, 0, from - 1), f});
    }
  }
  return taps;
}

}  // namespace

void ResamplePremultiplied(const BYTE* source, int sw, int sh, int sourceStride, BYTE* target,
                           int tw, int th, int targetStride) {
  if (sw <= 0 || sh <= 0 || tw <= 0 || th <= 0) return;
  const auto across = Taps(sw, tw), down = Taps(sh, th);
  std::vector<float> rows(static_cast<size_t>(tw) * sh * 4);
  for (int y = 0; y < sh; ++y)
    for (int x = 0; x < tw; ++x) {
      float* out = &rows[(static_cast<size_t>(y) * tw + x) * 4];
      for (const Tap& t : across[static_cast<size_t>(x)]) {
        const BYTE* in = source + static_cast<size_t>(y) * sourceStride + t.Source * 4;
        for (int k = 0; k < 4; ++k) out[k] += in[k] * t.Weight;
      }
    }
  for (int y = 0; y < th; ++y)
    for (int x = 0; x < tw; ++x) {
      float sum[4] = {0, 0, 0, 0};
      for (const Tap& t : down[static_cast<size_t>(y)]) {
        const float* in = &rows[(static_cast<size_t>(t.Source) * tw + x) * 4];
        for (int k = 0; k < 4; ++k) sum[k] += in[k] * t.Weight;
      }
      BYTE* out = target + static_cast<size_t>(y) * targetStride + x * 4;
      out[3] = static_cast<BYTE>(std::clamp(std::lround(sum[3]), 0L, 255L));
      // Premultiplied colour never exceeds its alpha.
      for (int k = 0; k < 3; ++k)
        out[k] = static_cast<BYTE>(std::clamp(std::lround(sum[k]), 0L, static_cast<long>(out[3])));
    }
}

Picture LoadPicture(const std::string& name, bool greyed, int dpi, int frameWidth) {
  Picture pic;
  DecodedPicture base;
  if (!LoadResourcePixels(ResourceName(name), base)) return pic;
  const bool keyed = name.size() > 4 && _stricmp(name.c_str() + name.size() - 4, ".bmp") == 0;

  // The size at this DPI, frame by frame.
  const int frames = frameWidth > 0 ? std::max<int>(1, base.Width / frameWidth) : 1;
  const int frameW = ScaleTo(base.Width / frames, dpi);
  const int w = frameW * frames, h = ScaleTo(base.Height, dpi);
  if (w <= 0 || h <= 0) return pic;

  DecodedPicture drawn;
  DecodedPicture* source = &base;
  if (dpi != kBaseDpi && LoadResourcePixels(ResourceName(name) + L"_2X", drawn)) source = &drawn;
  Prepare(*source, keyed, greyed);

  BITMAPINFO bi{};
  bi.bmiHeader.biSize = sizeof(bi.bmiHeader);
  bi.bmiHeader.biWidth = w;
  bi.bmiHeader.biHeight = -h;
  bi.bmiHeader.biPlanes = 1;
  bi.bmiHeader.biBitCount = 32;
  bi.bmiHeader.biCompression = BI_RGB;
  void* bits = nullptr;
  HBITMAP bmp = CreateDIBSection(nullptr, &bi, DIB_RGB_COLORS, &bits, nullptr, 0);
  if (!bmp) return pic;
  const int sw = source->Width, sh = source->Height;
  if (sw == w && sh == h) {
    memcpy(bits, source->Bgra.data(), source->Bgra.size());
  } else {
    const int sourceFrameW = sw / frames;
    for (int f = 0; f < frames; ++f)
      ResamplePremultiplied(
          source->Bgra.data() + static_cast<size_t>(f) * sourceFrameW * 4, sourceFrameW, sh, sw * 4,
          static_cast<BYTE*>(bits) + static_cast<size_t>(f) * frameW * 4, frameW, h, w * 4);
  }
  pic.Bitmap = GdiObject<HBITMAP>(bmp);
  pic.Width = w;
  pic.Height = h;
  return pic;
}

void DrawPicturePart(HDC dc, const Picture& picture, const RECT& target, const RECT& source) {
  if (picture.Empty()) return;
  HDC mem = CreateCompatibleDC(dc);
  HGDIOBJ old = SelectObject(mem, picture.Bitmap.Get());
  BLENDFUNCTION blend{AC_SRC_OVER, 0, 255, AC_SRC_ALPHA};
  // gdi32's own: msimg32's AlphaBlend would be one more DLL at start.
  GdiAlphaBlend(dc, target.left, target.top, target.right - target.left, target.bottom - target.top,
                mem, source.left, source.top, source.right - source.left,
                source.bottom - source.top, blend);
  SelectObject(mem, old);
  DeleteDC(mem);
}

void DrawPicture(HDC dc, const Picture& picture, int x, int y) {
  DrawPicturePart(dc, picture, {x, y, x + picture.Width, y + picture.Height},
                  {0, 0, picture.Width, picture.Height});
}

namespace {
constexpr wchar_t kAnimationClass[] = L"SkdAnimation";
constexpr UINT_PTR kAnimationTimer = 1;
}  // namespace

Animation::Animation(const std::string& strip, int frameWidth, int dpi)
    : stripName_(strip), baseFrameWidth_(frameWidth) {
  SetDpi(dpi);
}

void Animation::SetDpi(int dpi) {
  if (dpi == dpi_ && !strip_.Empty()) return;
  dpi_ = dpi;
  strip_ = LoadPicture(stripName_, false, dpi, baseFrameWidth_);
  frameWidth_ = ScaleTo(baseFrameWidth_, dpi);
  clock_.SetFrames(frameWidth_ > 0 && !strip_.Empty() ? strip_.Width / frameWidth_ : 0);
  if (hwnd_) InvalidateRect(hwnd_, nullptr, FALSE);
}

HWND Animation::Create(HWND parent, const RECT& bounds, const std::string& strip, int frameWidth,
                       HMENU id, int dpi) {
  static const bool registered = [] {
    WNDCLASSEXW wc{};
    wc.cbSize = sizeof(wc);
    wc.lpfnWndProc = &Animation::Proc;
    wc.hInstance = GetModuleHandleW(nullptr);
    wc.hCursor = LoadCursorW(nullptr, IDC_WAIT);
    wc.lpszClassName = kAnimationClass;
    return RegisterClassExW(&wc) != 0;
  }();
  if (!registered) return nullptr;
  std::unique_ptr<Animation> control(new Animation(strip, frameWidth, dpi));
  HWND h = CreateWindowExW(0, kAnimationClass, L"", WS_CHILD | WS_VISIBLE, bounds.left, bounds.top,
                           bounds.right - bounds.left, bounds.bottom - bounds.top, parent, id,
                           GetModuleHandleW(nullptr), control.get());
  if (!h) return nullptr;
  control->ownedByWindow_ = true;  // freed when the window goes
  control.release();
  return h;
}

Animation* Animation::From(HWND window) {
  wchar_t name[32] = {};
  if (!window || !GetClassNameW(window, name, 32) || lstrcmpW(name, kAnimationClass) != 0)
    return nullptr;
  return reinterpret_cast<Animation*>(GetWindowLongPtrW(window, GWLP_USERDATA));
}

void Animation::SetActive(bool active) {
  if (active == active_ || !hwnd_) return;
  if (active && clock_.Frames() > 1) {
    active_ = true;
    clock_.Start(TFrameClock::NowMs());
    SetTimer(hwnd_, kAnimationTimer, kFrameMs, nullptr);
  } else if (!active) {
    active_ = false;  // stays on the frame it shows
    KillTimer(hwnd_, kAnimationTimer);
  }
}

void Animation::Step() {
  clock_.Step(TFrameClock::NowMs());
  InvalidateRect(hwnd_, nullptr, FALSE);
}

void Animation::CatchUp() {
  if (!active_ || !clock_.CatchUp(TFrameClock::NowMs())) return;
  InvalidateRect(hwnd_, nullptr, FALSE);
  RedrawWindow(hwnd_, nullptr, nullptr, RDW_UPDATENOW);
}

void Animation::Paint(HDC dc) {
  RECT client;
  GetClientRect(hwnd_, &client);
  if (clock_.Frames() <= 0) {
    // No picture: the parent's colour, as its other controls get it.
    auto brush = reinterpret_cast<HBRUSH>(SendMessageW(
        GetParent(hwnd_), WM_CTLCOLORSTATIC, reinterpret_cast<WPARAM>(dc),
        reinterpret_cast<LPARAM>(hwnd_)));
    FillRect(dc, &client, brush ? brush : GetSysColorBrush(COLOR_BTNFACE));
    return;
  }
  const int frame = clock_.Frame();
  const RECT source{frame * frameWidth_, 0, (frame + 1) * frameWidth_, strip_.Height};
  DrawPicturePart(dc, strip_, client, source);
}

LRESULT CALLBACK Animation::Proc(HWND h, UINT msg, WPARAM wp, LPARAM lp) {
  if (msg == WM_NCCREATE) {
    auto* self = static_cast<Animation*>(reinterpret_cast<CREATESTRUCTW*>(lp)->lpCreateParams);
    self->hwnd_ = h;
    SetWindowLongPtrW(h, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(self));
  }
  auto* self = reinterpret_cast<Animation*>(GetWindowLongPtrW(h, GWLP_USERDATA));
  if (!self) return DefWindowProcW(h, msg, wp, lp);
  switch (msg) {
    case WM_TIMER:
      if (wp == kAnimationTimer && self->active_) self->Step();
      return 0;
    case WM_ERASEBKGND:
      return 1;
    case WM_PAINT:
      return PaintWindow(h, [self](HDC dc) { self->Paint(dc); });
    case WM_NCDESTROY:
      KillTimer(h, kAnimationTimer);
      SetWindowLongPtrW(h, GWLP_USERDATA, 0);
      self->hwnd_ = nullptr;
      if (self->ownedByWindow_) delete self;
      return DefWindowProcW(h, msg, wp, lp);
  }
  return DefWindowProcW(h, msg, wp, lp);
}

}  // namespace ui::win32
