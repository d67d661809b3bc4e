#include "frontend/win32/Win32MessageDialog.h"

#include <commctrl.h>

#include <algorithm>
#include <vector>

#include "frontend/win32/Win32Accessible.h"
#include "frontend/win32/Win32Form.h"
#include "frontend/win32/Win32Style.h"
#include "frontend/win32/Win32Util.h"
#include "ui/Application.h"

namespace ui::win32 {

using namespace dialogs;

namespace {

constexpr wchar_t kDialogClass[] = L"SkdMessageDialog";
constexpr int kFirstButtonId = 100;
constexpr int kBaseIconSize = 32;
constexpr DWORD kDialogStyle = WS_POPUP | WS_CAPTION | WS_SYSMENU | WS_CLIPCHILDREN;
constexpr DWORD kDialogExStyle = WS_EX_DLGMODALFRAME | WS_EX_CONTROLPARENT;

LPCWSTR IconResource(TDialogIcon icon) {
  switch (icon) {
    case TDialogIcon::Warning: return IDI_WARNING;
    case TDialogIcon::Error: return IDI_ERROR;
    case TDialogIcon::Information: return IDI_INFORMATION;
    case TDialogIcon::Question: return IDI_QUESTION;
    default: return nullptr;
  }
}

// The system icon at `size`, drawn for that size where the system has it.
HICON LoadDialogIcon(TDialogIcon icon, int size) {
  LPCWSTR id = IconResource(icon);
  if (!id) return nullptr;
  using LoadIconWithScaleDownFn = HRESULT(WINAPI*)(HINSTANCE, PCWSTR, int, int, HICON*);
  HMODULE comctl = CommonControls();
  const auto fn = comctl ? reinterpret_cast<LoadIconWithScaleDownFn>(reinterpret_cast<void*>(
                               GetProcAddress(comctl, "LoadIconWithScaleDown")))
                         : nullptr;
  HICON h = nullptr;
  if (fn && SUCCEEDED(fn(nullptr, id, size, size, &h)) && h) return h;
  return static_cast<HICON>(LoadImageW(nullptr, id, IMAGE_ICON, size, size, 0));
}

void CopyToClipboard(HWND owner, const std::string& text) {
  const std::wstring w = W(text);
  if (!OpenClipboard(owner)) return;
  EmptyClipboard();
  if (HGLOBAL mem = GlobalAlloc(GMEM_MOVEABLE, (w.size() + 1) * sizeof(wchar_t))) {
    memcpy(GlobalLock(mem), w.c_str(), (w.size() + 1) * sizeof(wchar_t));
    GlobalUnlock(mem);
    if (!SetClipboardData(CF_UNICODETEXT, mem)) GlobalFree(mem);
  }
  CloseClipboard();
}

struct DialogState : IDialogHost {
  HWND Dialog = nullptr;
  DialogLayoutFor LayoutFor;
  TMessageDialogLayout Layout;
  HWND Main = nullptr;
  int Dpi = kBaseDpi;
  std::vector<HWND> Buttons;
  GdiObject<HFONT> Font;
  HICON Icon = nullptr;  // owned
  GdiObject<HBRUSH> Face;
  bool Done = false;
  int Result = mrCancel;
  std::shared_ptr<AccessibleSource> Accessible;  // made when first asked for
  ~DialogState() override {
    if (Accessible) Accessible->Disconnect();
    if (Icon) DestroyIcon(Icon);
  }
  void Close(int result) override {
    Result = result;
    Done = true;
  }
  void Beep() override { MessageBeep(0); }
  void CopyToClipboard(const std::string& text) override { win32::CopyToClipboard(Dialog, text); }
};

SIZE FrameSize(const TMessageDialogLayout& l, int dpi) {
  RECT r{0, 0, l.ClientWidth, l.ClientHeight};
  AdjustWindowRectForDpi(r, kDialogStyle, kDialogExStyle, dpi);
  return {r.right - r.left, r.bottom - r.top};
}

TPoint Place(const TMessageDialogLayout& l, SIZE frame, HWND mainWindow) {
  RECT main{0, 0, 0, 0};
  if (mainWindow) GetWindowRect(mainWindow, &main);
  return PlaceDialog(l.X, l.Y, {frame.cx, frame.cy},
                     {0, 0, GetSystemMetrics(SM_CXSCREEN), GetSystemMetrics(SM_CYSCREEN)},
                     {main.left, main.top, main.right - main.left, main.bottom - main.top});
}

// Lays the dialog out for `dpi`: in place, or in the suggested rectangle.
void Arrange(HWND dlg, DialogState& s, int dpi, const RECT* suggested) {
  s.Dpi = dpi;
  s.Layout = s.LayoutFor(dpi);
  GdiObject<HFONT> oldFont = std::move(s.Font);  // until the buttons let go of it
  s.Font = GdiObject<HFONT>(CreateMessageFont(dpi));
  if (s.Icon) DestroyIcon(s.Icon);
  s.Icon = LoadDialogIcon(s.Layout.Icon, s.Layout.IconBounds.Width);
  for (size_t i = 0; i < s.Buttons.size() && i < s.Layout.Buttons.size(); ++i) {
    const TRect& b = s.Layout.Buttons[i].Bounds;
    SetWindowPos(s.Buttons[i], nullptr, b.Left, b.Top, b.Width, b.Height,
                 SWP_NOZORDER | SWP_NOACTIVATE);
    SendMessageW(s.Buttons[i], WM_SETFONT, reinterpret_cast<WPARAM>(s.Font.Get()), TRUE);
  }
  const SIZE frame = FrameSize(s.Layout, dpi);
  if (suggested) {
    SetWindowPos(dlg, nullptr, suggested->left, suggested->top, suggested->right - suggested->left,
                 suggested->bottom - suggested->top, SWP_NOZORDER | SWP_NOACTIVATE);
  } else {
    const TPoint at = Place(s.Layout, frame, s.Main);
    SetWindowPos(dlg, nullptr, at.X, at.Y, frame.cx, frame.cy, SWP_NOZORDER | SWP_NOACTIVATE);
  }
  FitClientArea(dlg, s.Layout.ClientWidth, s.Layout.ClientHeight);
  InvalidateRect(dlg, nullptr, TRUE);
}

int FocusedButton(const DialogState& s) {
  HWND f = GetFocus();
  for (size_t i = 0; i < s.Buttons.size(); ++i)
    if (s.Buttons[i] == f) return static_cast<int>(i);
  return -1;
}

// Word-wrapped in `width`; a word wider than that alone is broken inside it,
// as an edit control does, so the text never runs past the width. Texts
// that fit are measured and drawn as they always were.
UINT WrapFlags(HDC dc, const std::wstring& text, int width) {
  RECT r{0, 0, width, 0};
  DrawTextW(dc, text.c_str(), static_cast<int>(text.size()), &r, DT_CALCRECT | kMessageTextFlags);
  return BreakAnywhere(r.right, width) ? kMessageTextFlags | DT_EDITCONTROL : kMessageTextFlags;
}

RECT ToRect(const TRect& r) { return {r.Left, r.Top, r.Left + r.Width, r.Top + r.Height}; }

// The icon and the text it paints, then its buttons.
std::vector<AccessiblePart> AccessibleParts(const DialogState& s) {
  std::vector<AccessiblePart> parts;
  if (TAccessible icon = DialogAccessible(s.Layout, TDialogPart::Icon); !icon.Hidden)
    parts.push_back({std::move(icon), ToRect(s.Layout.IconBounds)});
  parts.push_back({DialogAccessible(s.Layout, TDialogPart::Text), ToRect(s.Layout.TextBounds)});
  for (std::size_t i = 0; i < s.Buttons.size(); ++i) {
    AccessiblePart p{DialogAccessible(s.Layout, TDialogPart::Button, static_cast<int>(i))};
    p.Window = s.Buttons[i];
    GetWindowRect(p.Window, &p.Bounds);
    MapWindowPoints(nullptr, s.Dialog, reinterpret_cast<POINT*>(&p.Bounds), 2);
    parts.push_back(std::move(p));
  }
  return parts;
}

LRESULT CALLBACK DialogProc(HWND h, UINT msg, WPARAM wp, LPARAM lp) {
  auto* s = reinterpret_cast<DialogState*>(GetWindowLongPtrW(h, GWLP_USERDATA));
  if (!s) return DefWindowProcW(h, msg, wp, lp);
  switch (msg) {
    case WM_COMMAND: {
      const int index = LOWORD(wp) - kFirstButtonId;
      if (HIWORD(wp) == BN_CLICKED && index >= 0 && index < static_cast<int>(s->Buttons.size()))
        PerformDialogAction(DialogButtonClick(s->Layout, index), s->Layout, *s);
      return 0;
    }
    case WM_CLOSE:
      s->Close(DialogCloseResult(s->Layout));
      return 0;
    case WM_ERASEBKGND: {
      RECT r;
      GetClientRect(h, &r);
      FillRect(reinterpret_cast<HDC>(wp), &r, s->Face.Get());
      return 1;
    }
    case WM_CTLCOLORBTN:
      return reinterpret_cast<LRESULT>(s->Face.Get());
    case WM_DRAWITEM:
      DrawStyledButton(*reinterpret_cast<const DRAWITEMSTRUCT*>(lp), nullptr, 0, 0, s->Dpi);
      return TRUE;
    case WM_GETOBJECT:
      if (!s->Accessible) {
        s->Accessible = std::make_shared<AccessibleSource>();
        s->Accessible->Self = [s] { return DialogAccessible(s->Layout, TDialogPart::Window); };
        s->Accessible->Parts = [s] { return AccessibleParts(*s); };
      }
      if (LRESULT r = AnswerGetObject(h, wp, lp, s->Accessible)) return r;
      break;
    case WM_GETDPISCALEDSIZE:
      *reinterpret_cast<SIZE*>(lp) = FrameSize(s->LayoutFor(LOWORD(wp)), LOWORD(wp));
      return TRUE;
    case WM_DPICHANGED:
      Arrange(h, *s, LOWORD(wp), reinterpret_cast<const RECT*>(lp));
      return 0;
    case WM_PAINT: {
      PAINTSTRUCT ps;
      HDC dc = BeginPaint(h, &ps);
      const TMessageDialogLayout& l = s->Layout;
      if (LPCWSTR id = IconResource(l.Icon)) {
        DrawIconEx(dc, l.IconBounds.Left, l.IconBounds.Top,
                   s->Icon ? s->Icon : LoadIconW(nullptr, id), l.IconBounds.Width,
                   l.IconBounds.Height, 0, nullptr, DI_NORMAL);
      }
      HGDIOBJ old = SelectObject(dc, s->Font.Get());
      SetBkMode(dc, TRANSPARENT);
      SetTextColor(dc, DialogText());
      const std::wstring text = MessageText(l.Text);
      // A measured width can fall a pixel short of the drawn one; the margin
      // takes the slack so the last character is not wrapped away.
      RECT r{l.TextBounds.Left, l.TextBounds.Top, l.TextBounds.Left + l.TextBounds.Width + 4,
             l.TextBounds.Top + l.TextBounds.Height};
      DrawTextW(dc, text.c_str(), static_cast<int>(text.size()), &r,
                WrapFlags(dc, text, r.right - r.left) | DT_NOCLIP);
      SelectObject(dc, old);
      EndPaint(h, &ps);
      return 0;
    }
  }
  return DefWindowProcW(h, msg, wp, lp);
}

LRESULT CALLBACK DialogCreationProc(HWND h, UINT msg, WPARAM wp, LPARAM lp) {
  if (msg == WM_NCCREATE) EnableNonClientScaling(h);
  return DefWindowProcW(h, msg, wp, lp);
}

int RunTaskDialog(const TMessageDialogLayout& l, HWND owner);

}  // namespace

HFONT CreateMessageFont(int dpi) {
  NONCLIENTMETRICSW ncm = NonClientMetricsForDpi(dpi);
  ncm.lfMessageFont.lfCharSet = RUSSIAN_CHARSET;
  return CreateFontIndirectW(&ncm.lfMessageFont);
}

TMessageDialogLayout MessageDialogLayout(const TMessageDialogRequest& request,
                                         const std::string& appTitle, int dpi) {
  GdiObject<HFONT> font(CreateMessageFont(dpi));
  Win32DialogMetrics metrics(font.Get());
  TMessageDialogLayout layout = BuildMessageDialog(request, metrics, appTitle);
  FitDialogIcon(layout, ScaleTo(kBaseIconSize, dpi));
  return layout;
}

Win32DialogMetrics::Win32DialogMetrics(HFONT font) : dc_(CreateCompatibleDC(nullptr)) {
  old_ = SelectObject(dc_, font);
}

Win32DialogMetrics::~Win32DialogMetrics() {
  SelectObject(dc_, old_);
  DeleteDC(dc_);
}

TSize Win32DialogMetrics::AverageCharSize() {
  const std::wstring letters = W(kAverageCharSample);
  SIZE sz{};
  GetTextExtentPoint32W(dc_, letters.c_str(), static_cast<int>(letters.size()), &sz);
  TEXTMETRICW tm{};
  GetTextMetricsW(dc_, &tm);
  return {AverageCharWidth(sz.cx), tm.tmHeight};
}

int Win32DialogMetrics::TextWidth(const std::string& line) {
  const std::wstring w = W(line);
  RECT r{0, 0, 0, 0};
  DrawTextW(dc_, w.c_str(), static_cast<int>(w.size()), &r, DT_CALCRECT | DT_LEFT | DT_SINGLELINE);
  return r.right - r.left;
}

TSize Win32DialogMetrics::WrappedTextSize(const std::string& text, int maxWidth) {
  const std::wstring w = MessageText(text);
  RECT r{0, 0, maxWidth, 0};
  DrawTextW(dc_, w.c_str(), static_cast<int>(w.size()), &r, DT_CALCRECT | WrapFlags(dc_, w, maxWidth));
  return {r.right, r.bottom};
}

TSize Win32DialogMetrics::ScreenSize() {
  return {GetSystemMetrics(SM_CXSCREEN), GetSystemMetrics(SM_CYSCREEN)};
}

int RunMessageDialog(const DialogLayoutFor& layoutFor, HWND mainWindow) {
  static const bool registered = [] {
    WNDCLASSEXW wc{};
    wc.cbSize = sizeof(wc);
    wc.lpfnWndProc = DialogCreationProc;
    wc.hInstance = GetModuleHandleW(nullptr);
    wc.hCursor = LoadCursorW(nullptr, IDC_ARROW);
    wc.lpszClassName = kDialogClass;
    return RegisterClassExW(&wc) != 0;
  }();
  (void)registered;

  DialogState s;
  s.LayoutFor = layoutFor;
  s.Main = mainWindow;
  s.Face = GdiObject<HBRUSH>(CreateSolidBrush(DialogFace()));

  // Placed first as at the system DPI; its monitor then tells the DPI it is
  // laid out for.
  const TMessageDialogLayout first = layoutFor(SystemDpi());
  const SIZE frame = FrameSize(first, SystemDpi());
  const TPoint at = Place(first, frame, mainWindow);
  HWND owner = GetActiveWindow();
  if (!owner) owner = mainWindow;
  HWND dlg =
      CreateWindowExW(kDialogExStyle, kDialogClass, W(first.Caption).c_str(), kDialogStyle, at.X,
                      at.Y, frame.cx, frame.cy, owner, nullptr, GetModuleHandleW(nullptr), nullptr);
  if (!dlg) return mrCancel;
  s.Dialog = dlg;
  SetWindowLongPtrW(dlg, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(&s));
  SetWindowLongPtrW(dlg, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(&DialogProc));

  CommonControls();  // the buttons' class
  for (size_t i = 0; i < first.Buttons.size(); ++i) {
    const bool isDefault = static_cast<int>(i) == first.DefaultIndex;
    HWND btn =
        CreateWindowExW(0, L"BUTTON", W(first.Buttons[i].Caption).c_str(),
                        WS_CHILD | WS_VISIBLE | WS_TABSTOP | PushButtonStyle(isDefault), 0, 0, 0, 0,
                        dlg, reinterpret_cast<HMENU>(static_cast<INT_PTR>(kFirstButtonId + i)),
                        GetModuleHandleW(nullptr), nullptr);
    MarkDefaultButton(btn, isDefault);
    // Owner-drawn, it is no push button to the system's object.
    ExposeControl(btn, [&s, i] {
      return DialogAccessible(s.Layout, TDialogPart::Button, static_cast<int>(i));
    });
    s.Buttons.push_back(btn);
  }
  Arrange(dlg, s, WindowDpi(dlg), nullptr);
  const TMessageDialogLayout& layout = s.Layout;

  // Showing it before the loop disables the others, so that it stays enabled.
  ShowWindow(dlg, SW_SHOW);
  SetForegroundWindow(dlg);
  if (layout.DefaultIndex >= 0) SetFocus(s.Buttons[layout.DefaultIndex]);
  else if (!s.Buttons.empty()) SetFocus(s.Buttons[0]);

  RunModalLoop(
      dlg, [&s] { return s.Done; },
      [&](const MSG& m) {
        TDialogKey key;
        if (m.wParam == VK_RETURN) key = TDialogKey::Enter;
        else if (m.wParam == VK_ESCAPE) key = TDialogKey::Escape;
        else if (m.wParam == 'C' && GetKeyState(VK_CONTROL) < 0) key = TDialogKey::CtrlC;
        else return false;
        PerformDialogAction(DialogKey(s.Layout, key, FocusedButton(s)), s.Layout, s);
        return true;
      });
  SetWindowLongPtrW(dlg, GWLP_USERDATA, 0);
  DestroyWindow(dlg);
  if (owner && IsWindow(owner)) SetActiveWindow(owner);
  return s.Result;
}

namespace {

using TaskDialogIndirectFn = HRESULT(WINAPI*)(const TASKDIALOGCONFIG*, int*, int*, BOOL*);

int RunTaskDialog(const TMessageDialogLayout& l, HWND owner) {
  // Only comctl32 version 6 has it; the manifest asks for that version.
  HMODULE comctl = CommonControls();
  auto fn = comctl ? reinterpret_cast<TaskDialogIndirectFn>(
                         reinterpret_cast<void*>(GetProcAddress(comctl, "TaskDialogIndirect")))
                   : nullptr;
  if (!fn) return -1;
  std::vector<std::wstring> captions;
  std::vector<TASKDIALOG_BUTTON> buttons;
  for (const auto& b : l.Buttons) captions.push_back(W(b.Caption));
  for (size_t i = 0; i < l.Buttons.size(); ++i)
    buttons.push_back({static_cast<int>(kFirstButtonId + i), captions[i].c_str()});
  const std::wstring caption = W(l.Caption), text = MessageText(l.Text);
  TASKDIALOGCONFIG c{};
  c.cbSize = sizeof(c);
  c.hwndParent = owner;
  // Centred on the owner's monitor unless asked to centre on the main window.
  c.dwFlags = TDF_ALLOW_DIALOG_CANCELLATION;
  if (l.X == -2 && l.Y == -2 && owner) c.dwFlags |= TDF_POSITION_RELATIVE_TO_WINDOW;
  c.pszWindowTitle = caption.c_str();
  c.pszContent = text.c_str();
  c.cButtons = static_cast<UINT>(buttons.size());
  c.pButtons = buttons.data();
  c.nDefaultButton = l.DefaultIndex >= 0 ? kFirstButtonId + l.DefaultIndex : 0;
  if (LPCWSTR icon = IconResource(l.Icon)) {
    c.dwFlags |= TDF_USE_HICON_MAIN;
    c.hMainIcon = LoadIconW(nullptr, icon);
  }
  for (;;) {
    int pressed = 0;
    if (FAILED(fn(&c, &pressed, nullptr, nullptr))) return -1;
    const int index = pressed - kFirstButtonId;
    if (index >= 0 && index < static_cast<int>(l.Buttons.size())) {
      const TDialogAction a = DialogButtonClick(l, index);
      if (a.What == TDialogAction::ShowHelp) {
        help::ShowHelpTopic(l.HelpContext);
        continue;
      }
      return a.Result;
    }
    // Esc or the close box: the cancel button's answer, as in the built dialog.
    const TDialogAction a = DialogKey(l, TDialogKey::Escape, -1);
    return a.What == TDialogAction::Close ? a.Result : DialogCloseResult(l);
  }
}

}  // namespace

int Win32Dialogs::ShowMessageDialog(const TMessageDialogRequest& request) {
  const std::string title = Application.Title;
  const auto layoutFor = [&](int dpi) { return MessageDialogLayout(request, title, dpi); };
  if (!Application.StyleApplied) {
    // The owner keeps it modal; a hidden main window (before it is first
    // shown) is no owner, so the dialog comes up on its own.
    HWND owner = GetActiveWindow();
    if (!owner && MainWindow && IsWindowVisible(MainWindow)) owner = MainWindow;
    const int r = RunTaskDialog(layoutFor(SystemDpi()), owner);
    if (r >= 0) return r;
  }
  return RunMessageDialog(layoutFor, MainWindow);
}

TModalFormResult Win32Dialogs::RunModalForm(const TModalFormRequest& request) {
  TModalFormResult r;
  Win32Form form(*request.Layout);
  if (!form.Handle()) return r;
  for (const auto& [id, text] : request.Texts) form.SetText(id, text);
  form.OnClick = request.OnClick;
  form.OnHelp = request.OnHelp;
  r.Created = true;
  r.ModalResult = form.ShowModal();
  r.CheckedRadio = form.CheckedRadio();
  return r;
}

void ShowToolkitError(const std::string& title, const std::string& text, const std::string& button,
                      HWND owner) {
  TMessageDialogRequest r;
  r.Text = text;
  r.Kind = mtError;
  r.Buttons = Bit(mbClose);
  RunMessageDialog(
      [&](int dpi) {
        TMessageDialogLayout layout = MessageDialogLayout(r, "", dpi);
        layout.Caption = title;
        layout.Buttons[0].Caption = button;
        layout.DefaultIndex = layout.CancelIndex = 0;
        return layout;
      },
      owner);
}

void Win32Dialogs::ShowToolkitError(const std::string& title, const std::string& text,
                                    const std::string& button) {
  win32::ShowToolkitError(title, text, button, GetActiveWindow());
}

void Win32Dialogs::ShowErrorBox(const std::string& caption, const std::string& text) {
  MessageBoxW(GetActiveWindow(), MessageText(text).c_str(), W(caption).c_str(),
              MB_ICONERROR | MB_OK);
}

}  // namespace ui::win32
