#include "frontend/win32/Win32Form.h"

#include <commctrl.h>
#include <windowsx.h>

#include <algorithm>

#include "frontend/win32/Win32Style.h"
#include "frontend/win32/Win32Util.h"
#include "platform/win32/SystemLibrary.h"
#include "ui/FormRules.h"

namespace ui::win32 {

namespace {

constexpr wchar_t kFormClass[] = L"SkdForm";
constexpr int kFirstChildId = 200;
// Posted: a client's call must not run the click's modal windows inside it.
constexpr UINT kPressMessage = WM_APP + 40;
// A radio button's circle, and with the gap to its caption and the focus
// frame's margin, where its caption ends, at 96 dpi.
constexpr int kRadioCircle = 13, kRadioCircleAndGap = 20;
TCursor g_cursor = TCursor::crDefault;

void RegisterFormClass(WNDPROC formProc) {
  static bool done = false;
  if (done) return;
  done = true;
  WNDCLASSEXW wc{};
  wc.cbSize = sizeof(wc);
  wc.lpfnWndProc = formProc;
  wc.hInstance = GetModuleHandleW(nullptr);
  wc.hCursor = LoadCursorW(nullptr, IDC_ARROW);
  wc.hIcon = LoadIconW(wc.hInstance, L"MAINICON");
  // The icon's own small drawing, as Windows would pick it; left to Wine,
  // it is a slower copy of the same.
  wc.hIconSm = static_cast<HICON>(LoadImageW(wc.hInstance, L"MAINICON", IMAGE_ICON,
                                             GetSystemMetrics(SM_CXSMICON),
                                             GetSystemMetrics(SM_CYSMICON), LR_SHARED));
  wc.lpszClassName = kFormClass;
  RegisterClassExW(&wc);
}

dialogs::TRect Screen() {
  return {0, 0, GetSystemMetrics(SM_CXSCREEN), GetSystemMetrics(SM_CYSCREEN)};
}

// Themed radio buttons ignore the caption colour; these are navy.
void UseCaptionColour(HWND button) {
  using SetWindowThemeFn = HRESULT(WINAPI*)(HWND, LPCWSTR, LPCWSTR);
  static const auto fn = [] {
    HMODULE uxtheme = platform::LoadSystemLibrary(L"uxtheme.dll");
    return uxtheme ? reinterpret_cast<SetWindowThemeFn>(
                         reinterpret_cast<void*>(GetProcAddress(uxtheme, "SetWindowTheme")))
                   : nullptr;
  }();
  if (fn) fn(button, L"", L"");
}

// The system's focus frame of a radio button is dotted and lies on its
// caption's own edge, where it takes away the last letter's stroke (Wine
// draws it so). The form draws a solid frame round the caption instead, a
// pixel clear of it and of the circle, in the caption's colour.
void DrawRadioFocus(HWND radio, HDC dc, COLORREF colour) {
  wchar_t text[256] = {};
  GetWindowTextW(radio, text, 256);
  RECT measure{0, 0, 0, 0};
  HGDIOBJ oldFont =
      SelectObject(dc, reinterpret_cast<HFONT>(SendMessageW(radio, WM_GETFONT, 0, 0)));
  DrawTextW(dc, text, -1, &measure, DT_CALCRECT | DT_SINGLELINE);
  SelectObject(dc, oldFont);
  RECT client;
  GetClientRect(radio, &client);
  const int dpi = WindowDpi(radio);
  HPEN pen = CreatePen(PS_SOLID, ScaleTo(1, dpi), colour);
  HGDIOBJ oldPen = SelectObject(dc, pen);
  HGDIOBJ oldBrush = SelectObject(dc, GetStockObject(NULL_BRUSH));
  Rectangle(dc, ScaleTo(kRadioCircle + 1, dpi), 0,
            std::min<LONG>(client.right, ScaleTo(kRadioCircleAndGap - 1, dpi) + measure.right),
            client.bottom);
  SelectObject(dc, oldBrush);
  SelectObject(dc, oldPen);
  DeleteObject(pen);
}

}  // namespace

HMODULE CommonControls() {
  static const HMODULE module = [] {
    // Version 6, as the manifest asks: by name, which the manifest's
    // assembly answers from the system's side-by-side store (a full path
    // would give the old version 5).
    HMODULE comctl = LoadLibraryW(L"comctl32.dll");
    using InitFn = BOOL(WINAPI*)(const INITCOMMONCONTROLSEX*);
    const auto init = comctl ? reinterpret_cast<InitFn>(reinterpret_cast<void*>(
                                   GetProcAddress(comctl, "InitCommonControlsEx")))
                             : nullptr;
    INITCOMMONCONTROLSEX icc{sizeof(icc), ICC_STANDARD_CLASSES | ICC_BAR_CLASSES};
    if (init) init(&icc);
    return comctl;
  }();
  return module;
}

HFONT CreateLayoutFont(const TFontSpec& spec, int dpi) {
  // Rounded down: the layouts sit tight around their texts at 96 dpi, and a
  // font a fraction of a pixel above the scale runs a long label past the
  // edge of its fixed-size window.
  return CreateFontW(-(spec.PixelHeight * dpi / kBaseDpi), 0, 0, 0, spec.Bold ? FW_BOLD : FW_NORMAL,
                     FALSE, FALSE, FALSE, static_cast<BYTE>(spec.Charset), OUT_DEFAULT_PRECIS,
                     CLIP_DEFAULT_PRECIS, DEFAULT_QUALITY, DEFAULT_PITCH | FF_DONTCARE,
                     W(spec.Family).c_str());
}

void SetScreenCursor(TCursor cursor) {
  g_cursor = cursor;
  POINT p;
  GetCursorPos(&p);
  SetCursorPos(p.x, p.y);  // makes the window under the mouse ask again
}

bool ApplyScreenCursor() {
  if (g_cursor == TCursor::crDefault) return false;
  SetCursor(LoadCursorW(nullptr, IDC_WAIT));
  return true;
}

Win32Form::Win32Form(const TFormLayout& layout) : layout_(layout) {
  RegisterFormClass(&FormProc);
  background_ = GdiObject<HBRUSH>(CreateSolidBrush(ResolveColour(layout.Background)));

  style_ = WS_OVERLAPPED | WS_CAPTION | WS_CLIPCHILDREN;
  if (layout.SystemMenu) style_ |= WS_SYSMENU;
  if (layout.MinimizeBox) style_ |= WS_MINIMIZEBOX;
  if (layout.MaximizeBox) style_ |= WS_MAXIMIZEBOX;
  if (!layout.FixedSize) style_ |= WS_THICKFRAME;
  exStyle_ = WS_EX_CONTROLPARENT | (layout.StayOnTop ? WS_EX_TOPMOST : 0);
  // Made at its size and place for the system DPI, which its monitor
  // almost always has: every later move of a window costs Wine a round
  // trip to the X server. ApplyDpi corrects it for another DPI.
  dpi_ = SystemDpi();
  border_ = ScaleTo(layout.InnerBorder, dpi_);
  const SIZE size = WindowSizeFor(dpi_);
  const auto at = FirstPlace(layout, {size.cx, size.cy}, Screen());
  hwnd_ = CreateWindowExW(exStyle_, kFormClass, W(layout.Caption).c_str(), style_,
                          at ? at->X : CW_USEDEFAULT, at ? at->Y : CW_USEDEFAULT, size.cx, size.cy,
                          nullptr, nullptr, GetModuleHandleW(nullptr), this);
  if (!hwnd_) return;
  dpi_ = WindowDpi(hwnd_);

  // Native controls are the common controls' classes; a window of painted
  // labels and flat buttons (the main window) appears without them.
  if (std::any_of(layout.Controls.begin(), layout.Controls.end(), [](const TControlRow& row) {
        return row.Kind == ControlKind::Memo || row.Kind == ControlKind::PushButton ||
               row.Kind == ControlKind::RadioButton;
      }))
    CommonControls();

  for (const TControlRow& row : layout.Controls) {
    auto c = std::make_unique<Control>();
    c->Row = &row;
    c->Top = row.Top;
    c->Visible = row.Visible;
    c->Text = MessageText(row.Text);
    c->Hint = MessageText(row.Hint);
    // A window is made where it belongs: moving it later costs as much again.
    c->Bounds = c->Placed = LayoutBounds(*c);
    const RECT& b = c->Bounds;
    const int x = b.left, y = b.top, w = b.right - b.left, h = b.bottom - b.top;
    const auto childId = reinterpret_cast<HMENU>(static_cast<INT_PTR>(kFirstChildId + row.Id));
    switch (row.Kind) {
      case ControlKind::Panel:
      case ControlKind::Label:
      case ControlKind::Picture:
      case ControlKind::FlatImageButton:
        // Painted by the form, as graphic controls are: a child window each
        // would cost the main window's start more than all its drawing.
        break;
      case ControlKind::Animation:
        c->Window = Animation::Create(hwnd_, b, row.Picture, row.Width, childId, dpi_);
        break;
      case ControlKind::Memo:
        c->Window = CreateWindowExW(
            WS_EX_CLIENTEDGE, L"EDIT", c->Text.c_str(),
            WS_CHILD | WS_VISIBLE | WS_TABSTOP | ES_MULTILINE | ES_AUTOVSCROLL | ES_WANTRETURN, x,
            y, w, h, hwnd_, childId, GetModuleHandleW(nullptr), nullptr);
        break;
      case ControlKind::PushButton:
        c->Window = CreateWindowExW(0, L"BUTTON", c->Text.c_str(),
                                    WS_CHILD | WS_VISIBLE | WS_TABSTOP | PushButtonStyle(false), x,
                                    y, w, h, hwnd_, childId, GetModuleHandleW(nullptr), nullptr);
        break;
      case ControlKind::RadioButton: {
        // The first radio button opens the group that the others join.
        const bool first = std::none_of(controls_.begin(), controls_.end(), [](const auto& o) {
          return o->Row->Kind == ControlKind::RadioButton;
        });
        c->Window = CreateWindowExW(
            0, L"BUTTON", c->Text.c_str(),
            WS_CHILD | WS_VISIBLE | WS_TABSTOP | BS_AUTORADIOBUTTON | (first ? WS_GROUP : 0), x, y,
            w, h, hwnd_, childId, GetModuleHandleW(nullptr), nullptr);
        UseCaptionColour(c->Window);
        SendMessageW(c->Window, BM_SETCHECK, row.Checked ? BST_CHECKED : BST_UNCHECKED, 0);
        break;
      }
    }
    // A system object tells a radio button's caption without the label it
    // goes on in, an owner-drawn button and the animation not as such.
    if (c->Window && row.Kind != ControlKind::Memo)
      ExposeControl(c->Window, [this, ctl = c.get()] { return AccessibleOf(*ctl); });
    controls_.push_back(std::move(c));
  }
  firstFocus_ = ControlHandle(FirstFocus(layout));
  ApplyDpi(dpi_);
  // Tab moves through the children in their z-order: put it in tab order.
  HWND after = HWND_TOP;
  for (int id : TabChain(layout)) {
    SetWindowPos(ControlHandle(id), after, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE | SWP_NOACTIVATE);
    after = ControlHandle(id);
  }
}

SIZE Win32Form::WindowSizeFor(int dpi) const {
  // The inner border is non-client area: the client is the layout's size.
  const int border = ScaleTo(layout_.InnerBorder, dpi);
  RECT r{0, 0, ScaleTo(layout_.ClientWidth, dpi) + 2 * border,
         ScaleTo(layout_.ClientHeight, dpi) + 2 * border};
  AdjustWindowRectForDpi(r, style_, exStyle_, dpi);
  return {r.right - r.left, r.bottom - r.top};
}

// The layout's rectangle at the form's DPI, with any SetTop.
RECT Win32Form::LayoutBounds(const Control& c) {
  const TBounds b = ClientBounds(
      layout_, *c.Row, [this](int v) { return ScaleTo(v, dpi_); },
      [this, &c](const TControlRow& row) {
        const Control* placed = &row == c.Row ? &c : Find(row.Id);
        return placed ? placed->Top : row.Top;
      });
  return {b.Left, b.Top, b.Right, b.Bottom};
}

// Its rectangle as drawn: labels fit their text, pictures their size.
void Win32Form::PlaceControl(Control& c) {
  const TControlRow& row = *c.Row;
  c.Bounds = LayoutBounds(c);
  if (row.Kind == ControlKind::Label) AutoSize(c);
  if (row.Kind == ControlKind::Picture) {
    c.Bounds.right = c.Bounds.left + c.Image.Width;
    c.Bounds.bottom = c.Bounds.top + c.Image.Height;
  }
  RECT window = c.Bounds;
  if (row.Kind == ControlKind::RadioButton) window.right = std::max<LONG>(window.right, FitCaption(c));
  if (c.Window && !EqualRect(&window, &c.Placed)) {
    SetWindowPos(c.Window, nullptr, window.left, window.top, window.right - window.left,
                 window.bottom - window.top, SWP_NOZORDER | SWP_NOACTIVATE);
    c.Placed = window;
  }
  if (tooltip_ && HasTool(c)) SendTool(TTM_NEWTOOLRECTW, c);
}

void Win32Form::ApplyDpi(int dpi, const RECT* suggested) {
  dpi_ = dpi;
  const int oldBorder = border_;
  border_ = ScaleTo(layout_.InnerBorder, dpi);
  // The old fonts stay alive until no control holds them.
  GdiObject<HFONT> oldFont = std::move(font_);
  font_ = GdiObject<HFONT>(CreateLayoutFont(layout_.Font, dpi));
  if (tooltip_) ConfigureTooltip(TTM_UPDATETIPTEXTW);

  for (auto& owned : controls_) {
    Control& c = *owned;
    const TControlRow& row = *c.Row;
    GdiObject<HFONT> oldControlFont = std::move(c.Font);
    Picture oldImage = std::move(c.Image);
    switch (row.Kind) {
      case ControlKind::Label:
      case ControlKind::RadioButton:
        c.Font = GdiObject<HFONT>(CreateLayoutFont(RowFont(layout_, row), dpi));
        if (c.Window)
          SendMessageW(c.Window, WM_SETFONT, reinterpret_cast<WPARAM>(c.Font.Get()), TRUE);
        break;
      case ControlKind::Memo:
        SendMessageW(c.Window, WM_SETFONT, reinterpret_cast<WPARAM>(font_.Get()), TRUE);
        break;
      case ControlKind::PushButton:
        c.Image = LoadPicture(row.Picture, false, dpi);
        SendMessageW(c.Window, WM_SETFONT, reinterpret_cast<WPARAM>(font_.Get()), TRUE);
        SendMessageW(c.Window, BM_SETIMAGE, IMAGE_BITMAP,
                     reinterpret_cast<LPARAM>(c.Image.Bitmap.Get()));
        break;
      case ControlKind::Picture:
        c.Image = LoadPicture(row.Picture, false, dpi);
        break;
      case ControlKind::FlatImageButton:
        c.Image = LoadPicture(row.Picture, false, dpi);
        c.Greyed = LoadPicture(row.Picture, true, dpi);
        break;
      case ControlKind::Animation:
        if (Animation* a = Animation::From(c.Window)) a->SetDpi(dpi);
        break;
      case ControlKind::Panel:
        break;
    }
    PlaceControl(c);
    if (c.Window) InvalidateRect(c.Window, nullptr, TRUE);
  }
  if (suggested) {
    SetWindowPos(hwnd_, nullptr, suggested->left, suggested->top,
                 suggested->right - suggested->left, suggested->bottom - suggested->top,
                 SWP_FRAMECHANGED | SWP_NOZORDER | SWP_NOACTIVATE);
  } else {
    const SIZE size = WindowSizeFor(dpi);
    RECT r;
    GetWindowRect(hwnd_, &r);
    if (border_ != oldBorder || r.right - r.left != size.cx || r.bottom - r.top != size.cy)
      SetWindowPos(hwnd_, nullptr, 0, 0, size.cx, size.cy,
                   SWP_FRAMECHANGED | SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);
  }
  FitClientArea(hwnd_, ScaleTo(layout_.ClientWidth, dpi), ScaleTo(layout_.ClientHeight, dpi));
  InvalidateRect(hwnd_, nullptr, TRUE);
}

int Win32Form::CheckedRadio() const {
  for (const auto& c : controls_)
    if (c->Row->Kind == ControlKind::RadioButton &&
        SendMessageW(c->Window, BM_GETCHECK, 0, 0) == BST_CHECKED)
      return c->Row->Id;
  return -1;
}

namespace {
// A window callback: stdcall on 32-bit Windows, so not a lambda.
BOOL CALLBACK CollectEnabledWindow(HWND h, LPARAM lp) {
  if (IsWindowVisible(h) && IsWindowEnabled(h)) reinterpret_cast<std::vector<HWND>*>(lp)->push_back(h);
  return TRUE;
}
}  // namespace

void RunModalLoop(HWND window, const std::function<bool()>& done,
                  const std::function<bool(const MSG&)>& preview) {
  std::vector<HWND> disabled;
  EnumThreadWindows(GetCurrentThreadId(), CollectEnabledWindow, reinterpret_cast<LPARAM>(&disabled));
  for (HWND h : disabled)
    if (h != window) EnableWindow(h, FALSE);
  MSG m;
  while (!done()) {
    const BOOL got = GetMessageW(&m, nullptr, 0, 0);
    if (got <= 0) {
      if (got == 0) PostQuitMessage(static_cast<int>(m.wParam));  // keep the quit for the main loop
      break;
    }
    if (m.message == WM_KEYDOWN && (m.hwnd == window || IsChild(window, m.hwnd)) && preview(m))
      continue;
    if (IsDialogMessageW(window, &m)) continue;
    TranslateMessage(&m);
    DispatchMessageW(&m);
  }
  for (HWND h : disabled)
    if (IsWindow(h)) EnableWindow(h, TRUE);
}

int Win32Form::ShowModal() {
  HWND owner = GetActiveWindow();
  modal_ = true;
  modalResult_ = 0;
  CentreOnScreen();
  ShowWindow(hwnd_, SW_SHOW);
  SetForegroundWindow(hwnd_);
  if (firstFocus_) SetFocus(firstFocus_);
  RunModalLoop(
      hwnd_, [this] { return !modal_; },
      [this](const MSG& m) {
        if (m.wParam == VK_F1 && OnHelp) {
          Perform(FormHelp(layout_));
          return true;
        }
        if (m.wParam == VK_RETURN || m.wParam == VK_TAB || m.wParam == VK_UP ||
            m.wParam == VK_DOWN || m.wParam == VK_LEFT || m.wParam == VK_RIGHT)
          return DialogKey(m);
        if (m.wParam != VK_ESCAPE) return false;
        Perform(FormEscape(layout_));
        return true;
      });
  modal_ = false;
  ShowWindow(hwnd_, SW_HIDE);
  if (owner && IsWindow(owner)) SetActiveWindow(owner);
  return modalResult_;
}

// What the dialog manager leaves undone here: Enter on a focused push button
// drawn by the style (an owner-drawn button is no push button to it) clicks
// it, Tab leaves a multi-line text box, which would keep it (Ctrl+Tab still
// types a tab there), and the arrows walk a radio group in its turns rather
// than through the push buttons that share its dialog group.
bool Win32Form::DialogKey(const MSG& m) {
  HWND focus = GetFocus();
  if (!focus || !IsChild(hwnd_, focus)) return false;
  if (m.wParam != VK_RETURN && m.wParam != VK_TAB) {
    const Control* c = Find(GetDlgCtrlID(focus) - kFirstChildId);
    if (!c || c->Window != focus || c->Row->Kind != ControlKind::RadioButton) return false;
    const int step = m.wParam == VK_DOWN || m.wParam == VK_RIGHT ? 1 : -1;
    if (HWND next = ControlHandle(RadioStep(layout_, c->Row->Id, step))) {
      SetFocus(next);
      SendMessageW(next, BM_CLICK, 0, 0);
    }
    return true;
  }
  if (GetKeyState(VK_CONTROL) < 0) return false;
  wchar_t cls[16] = {};
  GetClassNameW(focus, cls, 16);
  const LONG_PTR style = GetWindowLongPtrW(focus, GWL_STYLE);
  if (m.wParam == VK_RETURN && _wcsicmp(cls, L"Button") == 0 && IsWindowEnabled(focus)) {
    const LONG_PTR type = style & BS_TYPEMASK;
    if (type != BS_PUSHBUTTON && type != BS_DEFPUSHBUTTON && type != BS_OWNERDRAW) return false;
    SendMessageW(hwnd_, WM_COMMAND, MAKEWPARAM(GetDlgCtrlID(focus), BN_CLICKED),
                 reinterpret_cast<LPARAM>(focus));
    return true;
  }
  if (m.wParam == VK_TAB && _wcsicmp(cls, L"Edit") == 0 && (style & ES_MULTILINE)) {
    if (HWND next = GetNextDlgTabItem(hwnd_, focus, GetKeyState(VK_SHIFT) < 0)) SetFocus(next);
    return true;
  }
  return false;
}

void Win32Form::EndModal(int result) {
  modalResult_ = result;
  modal_ = false;
}

void Win32Form::Perform(const TFormAction& action) {
  PerformFormAction(action, [this](int result) { EndModal(result); }, OnClick, OnHelp);
}

Win32Form::~Win32Form() {
  if (accessible_) ForgetAccessible(hwnd_, *accessible_);
  if (hwnd_ && IsWindow(hwnd_)) {
    SetWindowLongPtrW(hwnd_, GWLP_USERDATA, 0);
    DestroyWindow(hwnd_);
  }
}

Win32Form::Control* Win32Form::Find(int id) const {
  for (auto& c : controls_)
    if (c->Row->Id == id) return c.get();
  return nullptr;
}

RECT Win32Form::ControlRect(int id) const {
  const Control* c = Find(id);
  return c ? c->Bounds : RECT{};
}

SIZE Win32Form::PictureSize(int id) const {
  const Control* c = Find(id);
  if (!c) return {0, 0};
  if (const Animation* a = Animation::From(c->Window))
    return {a->Strip().Width / std::max(a->FrameCount(), 1), a->Strip().Height};
  return {c->Image.Width, c->Image.Height};
}

HWND Win32Form::ControlHandle(int id) const {
  const Control* c = Find(id);
  return c ? c->Window : nullptr;
}

std::wstring Win32Form::ControlText(int id) const {
  const Control* c = Find(id);
  if (!c) return {};
  if (!c->Window) return c->Text;
  const int n = GetWindowTextLengthW(c->Window);
  std::wstring text(static_cast<size_t>(n) + 1, L'\0');
  text.resize(static_cast<size_t>(GetWindowTextW(c->Window, text.data(), n + 1)));
  return text;
}

bool Win32Form::ControlVisible(int id) const {
  const Control* c = Find(id);
  if (!c) return false;
  return c->Window ? (GetWindowLongW(c->Window, GWL_STYLE) & WS_VISIBLE) != 0 : c->Visible;
}

void Win32Form::AutoSize(Control& c) {
  // Measured in a memory DC: it has the screen's metrics, and unlike the
  // window's DC costs Wine no round trip to its server each time.
  static const HDC dc = CreateCompatibleDC(nullptr);
  HGDIOBJ old = SelectObject(dc, c.Font.Get());
  RECT r{0, 0, 0, 0};
  if (c.Text.empty()) {
    TEXTMETRICW tm;
    GetTextMetricsW(dc, &tm);
    r.bottom = tm.tmHeight;
  } else {
    DrawTextW(dc, c.Text.c_str(), static_cast<int>(c.Text.size()), &r,
              DT_CALCRECT | DT_NOPREFIX | DT_LEFT);
  }
  SelectObject(dc, old);
  c.Bounds.right = c.Bounds.left + r.right;
  c.Bounds.bottom = c.Bounds.top + r.bottom;
}

// Where a radio button must end for its whole caption to show beside its
// circle: a font a little wider than the layout's (Wine's) would cut it;
// it grows to the right, never past the window.
int Win32Form::FitCaption(const Control& c) const {
  static const HDC dc = CreateCompatibleDC(nullptr);
  HGDIOBJ old = SelectObject(dc, c.Font.Get());
  RECT r{0, 0, 0, 0};
  DrawTextW(dc, c.Text.c_str(), static_cast<int>(c.Text.size()), &r, DT_CALCRECT | DT_SINGLELINE);
  SelectObject(dc, old);
  const int circle = ScaleTo(kRadioCircleAndGap, dpi_);
  return std::min<LONG>(c.Bounds.left + circle + r.right, ScaleTo(layout_.ClientWidth, dpi_));
}

TAccessible Win32Form::AccessibleOf(const Control& c) const {
  const auto text = [this](int id) {
    const Control* o = Find(id);
    return o ? platform::Narrow(o->Text) : std::string();
  };
  const auto hint = [this](int id) {
    const Control* o = Find(id);
    return o ? platform::Narrow(o->Hint) : std::string();
  };
  return ControlAccessible(layout_, *c.Row, text, hint);
}

// Panels are only the window's colour; the ornaments are left out.
std::vector<const Win32Form::Control*> Win32Form::AccessibleControls() const {
  std::vector<const Control*> told;
  for (const auto& c : controls_)
    if (c->Row->Kind != ControlKind::Panel && !AccessibleOf(*c).Hidden) told.push_back(c.get());
  return told;
}

std::vector<AccessiblePart> Win32Form::AccessibleParts() const {
  std::vector<AccessiblePart> parts;
  for (const Control* c : AccessibleControls()) {
    AccessiblePart p{AccessibleOf(*c), c->Bounds, c->Visible, c->Enabled, c->Window};
    if (c->Window) {
      GetWindowRect(c->Window, &p.Bounds);
      MapWindowPoints(nullptr, hwnd_, reinterpret_cast<POINT*>(&p.Bounds), 2);
    }
    parts.push_back(std::move(p));
  }
  return parts;
}

std::vector<TAccessible> Win32Form::AccessibleInfos() const {
  std::vector<TAccessible> infos;
  for (const Control* c : AccessibleControls()) infos.push_back(AccessibleOf(*c));
  return infos;
}

void Win32Form::Invalidate(const Control& c) {
  InvalidateRect(hwnd_, &c.Bounds, TRUE);
}

std::wstring WrapLines(HDC dc, const std::wstring& text, int width) {
  const std::function<std::size_t(std::wstring_view, int)> fit = [dc](std::wstring_view line,
                                                                      int w) {
    int fits = 0;
    SIZE size{};
    GetTextExtentExPointW(dc, line.data(), static_cast<int>(line.size()), w, &fits, nullptr, &size);
    return static_cast<std::size_t>(std::max(fits, 0));
  };
  return ui::WrapLines<wchar_t>(text, width, fit, L"\r\n");
}

// Made when the mouse first rests on a button with a hint: the common
// controls cost the start time and memory of a window that shows none.
void Win32Form::CreateTooltip() {
  if (tooltip_ || !CommonControls()) return;
  // TTS_NOPREFIX: a hint from setup.ini is shown as written, not with its
  // '&' taken as a mnemonic and cut at its first tab.
  tooltip_ = CreateWindowExW(WS_EX_TOPMOST, TOOLTIPS_CLASSW, nullptr,
                             WS_POPUP | TTS_ALWAYSTIP | TTS_NOPREFIX,
                             CW_USEDEFAULT, CW_USEDEFAULT, CW_USEDEFAULT, CW_USEDEFAULT, hwnd_,
                             nullptr, GetModuleHandleW(nullptr), nullptr);
  if (tooltip_) ConfigureTooltip(TTM_ADDTOOLW);
}

// The tooltip's font and width at the form's DPI; `message` adds or updates
// every hint.
void Win32Form::ConfigureTooltip(UINT message) {
  GdiObject<HFONT> oldFont = std::move(tooltipFont_);  // until the tooltip lets go of it
  NONCLIENTMETRICSW metrics = NonClientMetricsForDpi(dpi_);
  tooltipFont_ = GdiObject<HFONT>(CreateFontIndirectW(&metrics.lfStatusFont));
  SendMessageW(tooltip_, WM_SETFONT, reinterpret_cast<WPARAM>(tooltipFont_.Get()), FALSE);
  // A hint may be a whole setup.ini value long: it wraps, not runs off.
  SendMessageW(tooltip_, TTM_SETMAXTIPWIDTH, 0, ScaleTo(kTooltipWidth, dpi_));
  for (auto& c : controls_)
    if (HasTool(*c)) SendTool(message, *c);
}

bool Win32Form::HasTool(const Control& c) {
  return c.Row->Kind == ControlKind::FlatImageButton && !c.Hint.empty();
}

// Adds or updates the tooltip of a flat button: its text, and the part of
// the form it answers for.
void Win32Form::SendTool(UINT message, Control& c) {
  HDC dc = GetDC(hwnd_);
  HGDIOBJ old = SelectObject(dc, tooltipFont_.Get());
  std::wstring text = WrapLines(dc, c.Hint, ScaleTo(kTooltipWidth, dpi_));
  SelectObject(dc, old);
  ReleaseDC(hwnd_, dc);
  TTTOOLINFOW ti{};
  ti.cbSize = sizeof(ti);
  ti.uFlags = TTF_SUBCLASS;
  ti.hwnd = hwnd_;
  ti.uId = static_cast<UINT_PTR>(c.Row->Id);
  // A hidden or disabled button takes no mouse, so it shows no hint.
  if (c.Visible && c.Enabled) ti.rect = c.Bounds;
  ti.lpszText = text.data();
  SendMessageW(tooltip_, message, 0, reinterpret_cast<LPARAM>(&ti));
}

void Win32Form::SetCaption(const std::string& text) { SetWindowTextW(hwnd_, W(text).c_str()); }

void Win32Form::SetText(int id, const std::string& text) {
  Control* c = Find(id);
  if (!c || c->Row->Kind != ControlKind::Label) return;
  // Told once something listens: it asked for the window's object.
  const std::vector<TAccessible> before =
      accessible_ ? AccessibleInfos() : std::vector<TAccessible>{};
  Invalidate(*c);
  c->Text = MessageText(text);
  AutoSize(*c);
  Invalidate(*c);
  if (accessible_) TellChanges(hwnd_, before, AccessibleInfos());
}

void Win32Form::SetHint(int id, const std::string& hint) {
  Control* c = Find(id);
  if (!c || c->Row->Kind != ControlKind::FlatImageButton) return;
  const bool had = !c->Hint.empty();
  c->Hint = MessageText(hint);
  if (tooltip_) SendTool(had ? TTM_UPDATETIPTEXTW : TTM_ADDTOOLW, *c);
}

void Win32Form::SetTop(int id, int top) {
  Control* c = Find(id);
  if (!c) return;
  Invalidate(*c);
  c->Top = top;
  PlaceControl(*c);
  Invalidate(*c);
}

void Win32Form::SetVisible(int id, bool visible) {
  Control* c = Find(id);
  if (!c) return;
  c->Visible = visible;
  if (c->Window) ShowWindow(c->Window, visible ? SW_SHOWNA : SW_HIDE);
  if (!visible && hovered_ == c) hovered_ = nullptr;
  ButtonChanged(*c);
  Invalidate(*c);
}

void Win32Form::SetEnabled(int id, bool enabled) {
  Control* c = Find(id);
  if (!c) return;
  c->Enabled = enabled;
  if (c->Window) {
    EnableWindow(c->Window, enabled);
    InvalidateRect(c->Window, nullptr, TRUE);
  }
  ButtonChanged(*c);
}

// A flat button shown, hidden, enabled or disabled: drawn anew, and one that
// no longer takes the mouse is no longer pressed or hinted at.
void Win32Form::ButtonChanged(Control& c) {
  if (c.Row->Kind != ControlKind::FlatImageButton) return;
  if (pressed_ == &c && !(c.Visible && c.Enabled)) {
    pressed_ = nullptr;
    ReleaseCapture();
  }
  if (tooltip_ && HasTool(c)) SendTool(TTM_NEWTOOLRECTW, c);
  Invalidate(c);
}

// The flat button that takes the mouse at a point of the client area.
Win32Form::Control* Win32Form::ButtonAt(POINT p) {
  for (auto& c : controls_)
    if (c->Row->Kind == ControlKind::FlatImageButton && c->Visible && c->Enabled &&
        PtInRect(&c->Bounds, p))
      return c.get();
  return nullptr;
}

void Win32Form::Hover(Control* c) {
  if (c == hovered_) return;
  if (hovered_) Invalidate(*hovered_);
  hovered_ = c;
  if (!c) return;
  Invalidate(*c);
  TRACKMOUSEEVENT tme{sizeof(tme), TME_LEAVE, hwnd_, 0};
  TrackMouseEvent(&tme);
}

void Win32Form::SetCursor(TCursor cursor) { SetScreenCursor(cursor); }

void Win32Form::RequestClose() { PostMessageW(hwnd_, WM_CLOSE, 0, 0); }

void Win32Form::CentreOnScreen() {
  RECT r;
  GetWindowRect(hwnd_, &r);
  const auto at = FirstPlace(layout_, {r.right - r.left, r.bottom - r.top}, Screen());
  if (at && (at->X != r.left || at->Y != r.top))
    SetWindowPos(hwnd_, nullptr, at->X, at->Y, 0, 0, SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
}

void Win32Form::Paint(HDC target) {
  RECT client;
  GetClientRect(hwnd_, &client);
  // Paint off screen, then copy: no flicker of labels over the background.
  HDC dc = CreateCompatibleDC(target);
  HBITMAP bmp = CreateCompatibleBitmap(target, client.right, client.bottom);
  HGDIOBJ oldBmp = SelectObject(dc, bmp);
  FillRect(dc, &client, background_.Get());
  SetBkMode(dc, TRANSPARENT);
  for (auto& c : controls_) {
    if (!c->Visible) continue;
    switch (c->Row->Kind) {
      case ControlKind::Label: {
        if (!c->Row->Transparent) FillRect(dc, &c->Bounds, background_.Get());
        HGDIOBJ old = SelectObject(dc, c->Font.Get());
        SetTextColor(dc, ResolveColour(RowFont(layout_, *c->Row).Color));
        RECT r = c->Bounds;
        DrawTextW(dc, c->Text.c_str(), static_cast<int>(c->Text.size()), &r,
                  DT_NOPREFIX | DT_LEFT | DT_NOCLIP);
        SelectObject(dc, old);
        break;
      }
      case ControlKind::Picture:
        DrawPicture(dc, c->Image, c->Bounds.left, c->Bounds.top);
        break;
      case ControlKind::FlatImageButton:
        PaintButton(*c, dc);
        break;
      case ControlKind::Memo:
      case ControlKind::PushButton:
      case ControlKind::RadioButton:
      case ControlKind::Animation:
        break;  // windows of their own
      case ControlKind::Panel:
        break;  // the window's colour, already there
    }
  }
  BitBlt(target, 0, 0, client.right, client.bottom, dc, 0, 0, SRCCOPY);
  SelectObject(dc, oldBmp);
  DeleteObject(bmp);
  DeleteDC(dc);
}

void Win32Form::PaintButton(const Control& c, HDC dc) {
  RECT r = c.Bounds;
  FillRect(dc, &r, background_.Get());
  const Picture& pic = c.Enabled ? c.Image : c.Greyed;
  const bool hovered = hovered_ == &c && c.Enabled, down = hovered && pressed_ == &c;
  const int off = down ? 1 : 0;
  DrawPicture(dc, pic, (r.left + r.right - pic.Width) / 2 + off,
              (r.top + r.bottom - pic.Height) / 2 + off);
  if (hovered) DrawEdge(dc, &r, down ? BDR_SUNKENOUTER : BDR_RAISEDINNER, BF_RECT);
}

LRESULT CALLBACK Win32Form::FormProc(HWND h, UINT msg, WPARAM wp, LPARAM lp) {
  if (msg == WM_NCCREATE) {
    // From here on the form answers, WM_NCCALCSIZE's inner border included.
    EnableNonClientScaling(h);
    auto* self = static_cast<Win32Form*>(reinterpret_cast<CREATESTRUCTW*>(lp)->lpCreateParams);
    self->hwnd_ = h;
    SetWindowLongPtrW(h, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(self));
  }
  auto* form = reinterpret_cast<Win32Form*>(GetWindowLongPtrW(h, GWLP_USERDATA));
  if (!form) return DefWindowProcW(h, msg, wp, lp);
  return form->WndProc(msg, wp, lp);
}

LRESULT Win32Form::WndProc(UINT msg, WPARAM wp, LPARAM lp) {
  switch (msg) {
    case WM_NCCALCSIZE: {
      const LRESULT res = DefWindowProcW(hwnd_, msg, wp, lp);
      RECT* r = wp ? &reinterpret_cast<NCCALCSIZE_PARAMS*>(lp)->rgrc[0] : reinterpret_cast<RECT*>(lp);
      InflateRect(r, -border_, -border_);
      return res;
    }
    case WM_NCPAINT: {
      DefWindowProcW(hwnd_, msg, wp, lp);
      // The inner border in the window's colour.
      RECT wr, cr;
      GetWindowRect(hwnd_, &wr);
      GetClientRect(hwnd_, &cr);
      MapWindowPoints(hwnd_, nullptr, reinterpret_cast<POINT*>(&cr), 2);
      OffsetRect(&cr, -wr.left, -wr.top);
      RECT ring = cr;
      InflateRect(&ring, border_, border_);
      HDC dc = GetWindowDC(hwnd_);
      ExcludeClipRect(dc, cr.left, cr.top, cr.right, cr.bottom);
      FillRect(dc, &ring, background_.Get());
      ReleaseDC(hwnd_, dc);
      return 0;
    }
    case WM_ERASEBKGND:
      return 1;
    case WM_PAINT:
      return PaintWindow(hwnd_, [this](HDC dc) { Paint(dc); });
    case WM_SETCURSOR:
      if (ApplyScreenCursor()) return TRUE;
      // The window's own cursor, over its controls too (they ask it first).
      if (layout_.Cursor == TCursor::crHourGlass && LOWORD(lp) == HTCLIENT) {
        ::SetCursor(LoadCursorW(nullptr, IDC_WAIT));
        return TRUE;
      }
      if (LOWORD(lp) == HTCLIENT && reinterpret_cast<HWND>(wp) == hwnd_) {
        POINT p;
        GetCursorPos(&p);
        ScreenToClient(hwnd_, &p);
        if (ButtonAt(p)) {
          ::SetCursor(LoadCursorW(nullptr, IDC_HAND));
          return TRUE;
        }
      }
      break;
    case WM_MOUSEMOVE: {
      Control* c = ButtonAt({GET_X_LPARAM(lp), GET_Y_LPARAM(lp)});
      if (c && !tooltip_ && HasTool(*c)) {
        CreateTooltip();
        // The tooltip watches the form from now on; this move starts its wait.
        MSG m{hwnd_, msg, wp, lp, static_cast<DWORD>(GetMessageTime()), {}};
        GetCursorPos(&m.pt);
        if (tooltip_) SendMessageW(tooltip_, TTM_RELAYEVENT, 0, reinterpret_cast<LPARAM>(&m));
      }
      Hover(c);
      return 0;
    }
    case WM_MOUSELEAVE:
      Hover(nullptr);
      return 0;
    case WM_LBUTTONDOWN:
      if (Control* c = ButtonAt({GET_X_LPARAM(lp), GET_Y_LPARAM(lp)})) {
        pressed_ = c;
        SetCapture(hwnd_);
        Invalidate(*c);
        return 0;
      }
      break;
    case WM_LBUTTONUP:
      if (Control* c = pressed_) {
        pressed_ = nullptr;
        ReleaseCapture();
        Invalidate(*c);
        if (ButtonAt({GET_X_LPARAM(lp), GET_Y_LPARAM(lp)}) == c)
          Perform(FormClick(layout_, c->Row->Id));
        return 0;
      }
      break;
    case WM_CAPTURECHANGED:
      if (pressed_) {
        Invalidate(*pressed_);
        pressed_ = nullptr;
      }
      break;
    case WM_HELP:
      return TRUE;  // F1 is taken from the key itself
    case WM_GETOBJECT: {
      if (!accessible_) {
        accessible_ = std::make_shared<AccessibleSource>();
        accessible_->Self = [this] {
          wchar_t caption[256] = {};
          GetWindowTextW(hwnd_, caption, 256);
          return WindowAccessible(layout_, platform::Narrow(caption));
        };
        accessible_->Parts = [this] { return AccessibleParts(); };
        accessible_->Press = [this](int index) {
          const std::vector<const Control*> told = AccessibleControls();
          if (index >= 0 && index < static_cast<int>(told.size()) && !told[index]->Window)
            PostMessageW(hwnd_, kPressMessage, static_cast<WPARAM>(told[index]->Row->Id), 0);
        };
      }
      if (LRESULT r = AnswerGetObject(hwnd_, wp, lp, accessible_)) return r;
      break;
    }
    case kPressMessage:
      // A painted button pressed by assistive technology, as by a click.
      Perform(FormClick(layout_, static_cast<int>(wp)));
      return 0;
    case WM_GETDPISCALEDSIZE: {
      // The exact size at the new DPI, so that WM_DPICHANGED suggests it.
      *reinterpret_cast<SIZE*>(lp) = WindowSizeFor(LOWORD(wp));
      return TRUE;
    }
    case WM_DPICHANGED:
      ApplyDpi(LOWORD(wp), reinterpret_cast<const RECT*>(lp));
      return 0;
    case WM_CTLCOLORBTN:
    case WM_CTLCOLORSTATIC: {
      HDC dc = reinterpret_cast<HDC>(wp);
      const int id = GetDlgCtrlID(reinterpret_cast<HWND>(lp)) - kFirstChildId;
      if (const Control* c = Find(id); c && c->Row->Kind == ControlKind::RadioButton) {
        SetTextColor(dc, ResolveColour(RowFont(layout_, *c->Row).Color));
        SetBkColor(dc, ResolveColour(layout_.Background));
      }
      return reinterpret_cast<LRESULT>(background_.Get());
    }
    case WM_NOTIFY: {
      auto& draw = *reinterpret_cast<NMCUSTOMDRAW*>(lp);
      Control* c = Find(static_cast<int>(draw.hdr.idFrom) - kFirstChildId);
      if (draw.hdr.code != NM_CUSTOMDRAW || !c || c->Row->Kind != ControlKind::RadioButton) break;
      if (draw.dwDrawStage == CDDS_PREPAINT) return CDRF_NOTIFYPOSTPAINT | CDRF_SKIPPOSTPAINT;
      if (draw.dwDrawStage != CDDS_POSTPAINT) return CDRF_DODEFAULT;
      // A change of focus alone repaints no more than the focus: the frame
      // goes with a whole repaint.
      if (draw.uItemState & CDIS_FOCUS) {
        DrawRadioFocus(c->Window, draw.hdc, ResolveColour(RowFont(layout_, *c->Row).Color));
        c->FocusShown = true;
      } else if (c->FocusShown) {
        c->FocusShown = false;
        InvalidateRect(c->Window, nullptr, TRUE);
      }
      return CDRF_DODEFAULT;
    }
    case WM_DRAWITEM: {
      const auto& item = *reinterpret_cast<const DRAWITEMSTRUCT*>(lp);
      if (const Control* c = Find(static_cast<int>(item.CtlID) - kFirstChildId))
        DrawStyledButton(item, c->Image.Bitmap.Get(), c->Image.Width, c->Image.Height, dpi_);
      return TRUE;
    }
    case WM_COMMAND: {
      if (LOWORD(wp) == IDCANCEL && modal_) {  // Esc, as the dialog manager reports it
        Perform(FormEscape(layout_));
        return 0;
      }
      if (HIWORD(wp) == BN_CLICKED)
        Perform(FormClick(layout_, static_cast<int>(LOWORD(wp)) - kFirstChildId));
      return 0;
    }
    case WM_CLOSE:
      if (modal_) {
        Perform(FormCloseBox(layout_));
        return 0;
      }
      break;
  }
  return DefWindowProcW(hwnd_, msg, wp, lp);
}

}  // namespace ui::win32
