#pragma once
// Draws a layout table as a native window: labels, pictures and flat picture
// buttons (with their tooltips) painted by the form itself, the other
// controls as child windows.

#include <windows.h>

#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "frontend/win32/Win32Accessible.h"
#include "frontend/win32/Win32Dpi.h"
#include "frontend/win32/Win32Pictures.h"
#include "ui/FormRules.h"
#include "ui/Forms.h"
#include "ui/Layout.h"

namespace ui::win32 {

// comctl32, loaded on first use (version 6, as the manifest asks) with its
// classes registered; null without it.
HMODULE CommonControls();
// A layout font at `dpi` (its pixel height is at 96 dpi).
HFONT CreateLayoutFont(const TFontSpec& spec, int dpi);
// A modal loop for `window`: every other visible window of the thread is
// disabled until `done` says so; `preview` may take a key message first.
// Afterwards the other windows are enabled again.
void RunModalLoop(HWND window, const std::function<bool()>& done,
                  const std::function<bool(const MSG&)>& preview);

// The cursor every window of the program shows while not crDefault.
void SetScreenCursor(TCursor cursor);
bool ApplyScreenCursor();  // true when an override is in effect

// `text` (its breaks CR LF) wrapped at `width` in the font selected into
// `dc`, as ui::WrapLines says.
std::wstring WrapLines(HDC dc, const std::wstring& text, int width);

class Win32Form : public IFormView {
 public:
  explicit Win32Form(const TFormLayout& layout);
  virtual ~Win32Form();

  HWND Handle() const { return hwnd_; }
  const TFormLayout& Layout() const { return layout_; }
  // The DPI the window is laid out for; WM_DPICHANGED changes it.
  int Dpi() const { return dpi_; }
  // Screen rectangle of a control in client coordinates (for tests).
  RECT ControlRect(int id) const;
  HWND ControlHandle(int id) const;
  // A control's text and whether it shows, its window's or as painted (for tests).
  std::wstring ControlText(int id) const;
  bool ControlVisible(int id) const;
  // Size of a control's picture as drawn; 0 x 0 without one.
  SIZE PictureSize(int id) const;
  // Shows the window modally until a button with a modal result, Esc on a
  // cancel button, or the close box ends it; that result.
  int ShowModal();
  void EndModal(int result);
  // Carries out what a key, a click or the close box decided.
  void Perform(const TFormAction& action);
  // Enter and Tab where the dialog manager falls short; true when handled.
  bool DialogKey(const MSG& m);
  // Id of the checked radio button, or -1.
  int CheckedRadio() const;

  void SetCaption(const std::string& text) override;
  void SetText(int control, const std::string& text) override;
  void SetHint(int control, const std::string& hint) override;
  void SetTop(int control, int top) override;
  void SetVisible(int control, bool visible) override;
  void SetEnabled(int control, bool enabled) override;
  void SetCursor(TCursor cursor) override;
  void RequestClose() override;

  // Flat buttons and push buttons without a modal result report their
  // clicks here.
  std::function<void(int control)> OnClick;
  // F1 while shown modally, with the window's help context.
  std::function<void(std::int32_t helpContext)> OnHelp;

 protected:
  virtual LRESULT WndProc(UINT msg, WPARAM wp, LPARAM lp);
  void CentreOnScreen();

 private:
  struct Control {
    const TControlRow* Row;
    int Top;        // layout pixels; SetTop moves it
    RECT Bounds;    // client coordinates, scaled
    RECT Placed{};  // where its window was put last
    std::wstring Text;
    std::wstring Hint;
    bool Visible;
    bool Enabled = true;
    GdiObject<HFONT> Font;
    Picture Image;
    Picture Greyed;
    HWND Window = nullptr;  // the control's own window, if it has one
    bool FocusShown = false;  // a radio button's focus frame is drawn
  };

  static LRESULT CALLBACK FormProc(HWND, UINT, WPARAM, LPARAM);
  // Fonts, pictures, rectangles and the window's size for `dpi`; the
  // window takes the suggested rectangle, if any, corrected to the client size.
  void ApplyDpi(int dpi, const RECT* suggested = nullptr);
  RECT LayoutBounds(const Control& c);
  void PlaceControl(Control& c);
  SIZE WindowSizeFor(int dpi) const;
  void Paint(HDC dc);
  // Flat buttons have no window: the form draws them and takes their mouse.
  void PaintButton(const Control& c, HDC dc);
  Control* ButtonAt(POINT p);
  void Hover(Control* c);
  void ButtonChanged(Control& c);
  void AutoSize(Control& c);
  // What assistive technology is told of each part, as it shows now.
  TAccessible AccessibleOf(const Control& c) const;
  // The controls told, in the order of their parts.
  std::vector<const Control*> AccessibleControls() const;
  std::vector<AccessiblePart> AccessibleParts() const;
  std::vector<TAccessible> AccessibleInfos() const;  // the parts' infos, in their order
  int FitCaption(const Control& c) const;
  Control* Find(int id) const;
  void Invalidate(const Control& c);
  static bool HasTool(const Control& c);
  void CreateTooltip();
  void ConfigureTooltip(UINT message);
  void SendTool(UINT message, Control& c);

  const TFormLayout& layout_;
  HWND hwnd_ = nullptr;
  HWND tooltip_ = nullptr;
  GdiObject<HFONT> tooltipFont_;
  DWORD style_ = 0, exStyle_ = 0;
  int dpi_ = kBaseDpi;
  int border_ = 0;
  std::vector<std::unique_ptr<Control>> controls_;
  GdiObject<HBRUSH> background_;
  GdiObject<HFONT> font_;
  HWND firstFocus_ = nullptr;
  Control* hovered_ = nullptr;
  Control* pressed_ = nullptr;
  std::shared_ptr<AccessibleSource> accessible_;  // made when first asked for
  bool modal_ = false;
  int modalResult_ = 0;
};

}  // namespace ui::win32
