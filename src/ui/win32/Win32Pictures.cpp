#include "ui/win32/Win32Pictures.h"

#include <wincodec.h>

#include <vector>

namespace ui::win32 {

namespace {

template <typename T>
struct ComPtr {
  T* p = nullptr;
  ~ComPtr() {
    if (p) p->Release();
  }
  T** operator&() { return &p; }
  T* operator->() const { return p; }
};

std::wstring ResourceName(const std::string& file) {
  std::wstring name;
  for (char c : file) name += c == '.' ? L'_' : static_cast<wchar_t>(toupper(static_cast<unsigned char>(c)));
  return name;
}

// Decodes any picture WIC knows into top-down BGRA rows.
bool Decode(const void* data, DWORD size, std::vector<BYTE>& pixels, UINT& w, UINT& h) {
  ComPtr<IWICImagingFactory> factory;
  if (FAILED(CoCreateInstance(CLSID_WICImagingFactory, nullptr, CLSCTX_INPROC_SERVER,
                              IID_IWICImagingFactory, reinterpret_cast<void**>(&factory))))
    return false;
  ComPtr<IWICStream> stream;
  if (FAILED(factory->CreateStream(&stream)) ||
      FAILED(stream->InitializeFromMemory(static_cast<BYTE*>(const_cast<void*>(data)), size)))
    return false;
  ComPtr<IWICBitmapDecoder> decoder;
  if (FAILED(factory->CreateDecoderFromStream(stream.p, nullptr, WICDecodeMetadataCacheOnDemand,
                                              &decoder)))
    return false;
  ComPtr<IWICBitmapFrameDecode> frame;
  if (FAILED(decoder->GetFrame(0, &frame))) return false;
  ComPtr<IWICBitmapSource> bgra;
  if (FAILED(WICConvertBitmapSource(GUID_WICPixelFormat32bppBGRA, frame.p, &bgra))) return false;
  if (FAILED(bgra->GetSize(&w, &h)) || !w || !h) return false;
  pixels.resize(static_cast<size_t>(w) * h * 4);
  return SUCCEEDED(bgra->CopyPixels(nullptr, w * 4, static_cast<UINT>(pixels.size()), pixels.data()));
}

}  // namespace

Picture LoadPicture(const std::string& name, bool greyed) {
  Picture pic;
  HRSRC res = FindResourceW(nullptr, ResourceName(name).c_str(), MAKEINTRESOURCEW(10) /*RT_RCDATA*/);
  HGLOBAL data = res ? LoadResource(nullptr, res) : nullptr;
  const void* bytes = data ? LockResource(data) : nullptr;
  std::vector<BYTE> px;
  UINT w = 0, h = 0;
  if (!bytes || !Decode(bytes, SizeofResource(nullptr, res), px, w, h)) return pic;

  const bool keyed = name.size() > 4 && _stricmp(name.c_str() + name.size() - 4, ".bmp") == 0;
  const size_t bl = static_cast<size_t>(h - 1) * w * 4;
  const BYTE kb = px[bl], kg = px[bl + 1], kr = px[bl + 2];
  for (size_t i = 0; i < px.size(); i += 4) {
    BYTE& b = px[i];
    BYTE& g = px[i + 1];
    BYTE& r = px[i + 2];
    BYTE& a = px[i + 3];
    if (keyed) a = (b == kb && g == kg && r == kr) ? 0 : 255;
    if (greyed) {
      const BYTE grey = static_cast<BYTE>(128 + (r * 30 + g * 59 + b * 11) / 200);
      r = g = b = grey;
    }
    // AlphaBlend wants premultiplied colour.
    r = static_cast<BYTE>(r * a / 255);
    g = static_cast<BYTE>(g * a / 255);
    b = static_cast<BYTE>(b * a / 255);
  }

  BITMAPINFO bi{};
  bi.bmiHeader.biSize = sizeof(bi.bmiHeader);
  bi.bmiHeader.biWidth = static_cast<LONG>(w);
  bi.bmiHeader.biHeight = -static_cast<LONG>(h);
  bi.bmiHeader.biPlanes = 1;
  bi.bmiHeader.biBitCount = 32;
  bi.bmiHeader.biCompression = BI_RGB;
  void* bits = nullptr;
  HBITMAP bmp = CreateDIBSection(nullptr, &bi, DIB_RGB_COLORS, &bits, nullptr, 0);
  if (!bmp) return pic;
  memcpy(bits, px.data(), px.size());
  pic.Bitmap = GdiObject<HBITMAP>(bmp);
  pic.Width = static_cast<int>(w);
  pic.Height = static_cast<int>(h);
  return pic;
}

void DrawPicture(HDC dc, const Picture& picture, int x, int y) {
  if (picture.Empty()) return;
  HDC mem = CreateCompatibleDC(dc);
  HGDIOBJ old = SelectObject(mem, picture.Bitmap.Get());
  BLENDFUNCTION blend{AC_SRC_OVER, 0, 255, AC_SRC_ALPHA};
  AlphaBlend(dc, x, y, picture.Width, picture.Height, mem, 0, 0, picture.Width, picture.Height,
             blend);
  SelectObject(mem, old);
  DeleteDC(mem);
}

}  // namespace ui::win32
