#include "ui/win32/Win32MessageDialog.h"

#include <commctrl.h>

#include <vector>

#include "ui/Application.h"
#include "ui/F_740.h"
#include "ui/win32/Win32Form.h"
#include "ui/win32/Win32Style.h"
#include "ui/win32/Win32Util.h"

namespace ui::win32 {

using namespace dialogs;

namespace {

constexpr wchar_t kDialogClass[] = L"SkdMessageDialog";

// Message texts break lines with a lone CR; DrawText is sure of CR LF only.
std::wstring MessageText(const std::string& text) {
  const std::wstring w = W(text);
  std::wstring out;
  for (size_t i = 0; i < w.size(); ++i) {
    out += w[i];
    if (w[i] == L'\r' && (i + 1 == w.size() || w[i + 1] != L'\n')) out += L'\n';
  }
  return out;
}
constexpr int kFirstButtonId = 100;

LPCWSTR IconResource(TDialogIcon icon) {
  switch (icon) {
    case TDialogIcon::Warning: return IDI_WARNING;
    case TDialogIcon::Error: return IDI_ERROR;
    case TDialogIcon::Information: return IDI_INFORMATION;
    case TDialogIcon::Question: return IDI_QUESTION;
    default: return nullptr;
  }
}

struct DialogState {
  const TMessageDialogLayout* Layout;
  std::vector<HWND> Buttons;
  HFONT Font;
  HBRUSH Face;
  bool Done = false;
  int Result = mrCancel;
};

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

void Perform(HWND dlg, DialogState& s, const TDialogAction& a) {
  switch (a.What) {
    case TDialogAction::Close:
      s.Result = a.Result;
      s.Done = true;
      break;
    case TDialogAction::ShowHelp:
      help::ShowHelpTopic(s.Layout->HelpContext);
      break;
    case TDialogAction::CopyToClipboard:
      MessageBeep(0);
      CopyToClipboard(dlg, a.ClipboardText);
      break;
    case TDialogAction::None:
      break;
  }
}

int FocusedButton(const DialogState& s) {
  HWND f = GetFocus();
  for (size_t i = 0; i < s.Buttons.size(); ++i)
    if (s.Buttons[i] == f) return static_cast<int>(i);
  return -1;
}

LRESULT CALLBACK DialogProc(HWND h, UINT msg, WPARAM wp, LPARAM lp) {
  auto* s = reinterpret_cast<DialogState*>(GetWindowLongPtrW(h, GWLP_USERDATA));
  if (!s) return DefWindowProcW(h, msg, wp, lp);
  switch (msg) {
    case WM_COMMAND: {
      const int index = LOWORD(wp) - kFirstButtonId;
      if (HIWORD(wp) == BN_CLICKED && index >= 0 && index < static_cast<int>(s->Buttons.size()))
        Perform(h, *s, DialogButtonClick(*s->Layout, index));
      return 0;
    }
    case WM_CLOSE:
      s->Result = DialogCloseResult(*s->Layout);
      s->Done = true;
      return 0;
    case WM_ERASEBKGND: {
      RECT r;
      GetClientRect(h, &r);
      FillRect(reinterpret_cast<HDC>(wp), &r, s->Face);
      return 1;
    }
    case WM_CTLCOLORBTN:
      return reinterpret_cast<LRESULT>(s->Face);
    case WM_DRAWITEM:
      DrawStyledButton(*reinterpret_cast<const DRAWITEMSTRUCT*>(lp), nullptr, 0, 0);
      return TRUE;
    case WM_PAINT: {
      PAINTSTRUCT ps;
      HDC dc = BeginPaint(h, &ps);
      const TMessageDialogLayout& l = *s->Layout;
      if (LPCWSTR id = IconResource(l.Icon)) {
        DrawIconEx(dc, l.IconBounds.Left, l.IconBounds.Top, LoadIconW(nullptr, id), 32, 32, 0,
                   nullptr, DI_NORMAL);
      }
      HGDIOBJ old = SelectObject(dc, s->Font);
      SetBkMode(dc, TRANSPARENT);
      SetTextColor(dc, DialogText());
      const std::wstring text = MessageText(l.Text);
      // A measured width can fall a pixel short of the drawn one; the margin
      // takes the slack so the last character is not wrapped away.
      RECT r{l.TextBounds.Left, l.TextBounds.Top, l.TextBounds.Left + l.TextBounds.Width + 4,
             l.TextBounds.Top + l.TextBounds.Height};
      DrawTextW(dc, text.c_str(), static_cast<int>(text.size()), &r, kMessageTextFlags | DT_NOCLIP);
      SelectObject(dc, old);
      EndPaint(h, &ps);
      return 0;
    }
  }
  return DefWindowProcW(h, msg, wp, lp);
}

int RunTaskDialog(const TMessageDialogLayout& l, HWND owner);

}  // namespace

HFONT CreateMessageFont() {
  NONCLIENTMETRICSW ncm{};
  ncm.cbSize = sizeof(ncm);
  SystemParametersInfoW(SPI_GETNONCLIENTMETRICS, sizeof(ncm), &ncm, 0);
  ncm.lfMessageFont.lfCharSet = RUSSIAN_CHARSET;
  return CreateFontIndirectW(&ncm.lfMessageFont);
}

Win32DialogMetrics::Win32DialogMetrics(HFONT font) : dc_(CreateCompatibleDC(nullptr)) {
  old_ = SelectObject(dc_, font);
}

Win32DialogMetrics::~Win32DialogMetrics() {
  SelectObject(dc_, old_);
  DeleteDC(dc_);
}

TSize Win32DialogMetrics::AverageCharSize() {
  wchar_t letters[52];
  for (int i = 0; i < 26; ++i) {
    letters[i] = static_cast<wchar_t>(L'A' + i);
    letters[26 + i] = static_cast<wchar_t>(L'a' + i);
  }
  SIZE sz{};
  GetTextExtentPoint32W(dc_, letters, 52, &sz);
  TEXTMETRICW tm{};
  GetTextMetricsW(dc_, &tm);
  return {sz.cx / 52, tm.tmHeight};
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
  DrawTextW(dc_, w.c_str(), static_cast<int>(w.size()), &r, DT_CALCRECT | kMessageTextFlags);
  return {r.right, r.bottom};
}

TSize Win32DialogMetrics::ScreenSize() {
  return {GetSystemMetrics(SM_CXSCREEN), GetSystemMetrics(SM_CYSCREEN)};
}

int RunMessageDialog(const TMessageDialogLayout& layout, HWND mainWindow) {
  static const bool registered = [] {
    WNDCLASSEXW wc{};
    wc.cbSize = sizeof(wc);
    wc.lpfnWndProc = DefWindowProcW;
    wc.hInstance = GetModuleHandleW(nullptr);
    wc.hCursor = LoadCursorW(nullptr, IDC_ARROW);
    wc.lpszClassName = kDialogClass;
    return RegisterClassExW(&wc) != 0;
  }();
  (void)registered;

  GdiObject<HFONT> font(CreateMessageFont());
  GdiObject<HBRUSH> face(CreateSolidBrush(DialogFace()));
  DialogState s{&layout, {}, font.Get(), face.Get()};

  const DWORD style = WS_POPUP | WS_CAPTION | WS_SYSMENU | WS_CLIPCHILDREN;
  const DWORD exStyle = WS_EX_DLGMODALFRAME | WS_EX_CONTROLPARENT;
  RECT r{0, 0, layout.ClientWidth, layout.ClientHeight};
  AdjustWindowRectEx(&r, style, FALSE, exStyle);
  const int w = r.right - r.left, h = r.bottom - r.top;
  RECT main{0, 0, 0, 0};
  if (mainWindow) GetWindowRect(mainWindow, &main);
  const TPoint at = PlaceDialog(layout.X, layout.Y, {w, h},
                                {0, 0, GetSystemMetrics(SM_CXSCREEN), GetSystemMetrics(SM_CYSCREEN)},
                                {main.left, main.top, main.right - main.left, main.bottom - main.top});
  HWND owner = GetActiveWindow();
  if (!owner) owner = mainWindow;
  HWND dlg = CreateWindowExW(exStyle, kDialogClass, W(layout.Caption).c_str(), style, at.X, at.Y,
                             w, h, owner, nullptr, GetModuleHandleW(nullptr), nullptr);
  if (!dlg) return mrCancel;
  SetWindowLongPtrW(dlg, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(&s));
  SetWindowLongPtrW(dlg, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(&DialogProc));

  for (size_t i = 0; i < layout.Buttons.size(); ++i) {
    const auto& b = layout.Buttons[i];
    const bool isDefault = static_cast<int>(i) == layout.DefaultIndex;
    HWND btn = CreateWindowExW(0, L"BUTTON", W(b.Caption).c_str(),
                               WS_CHILD | WS_VISIBLE | WS_TABSTOP | PushButtonStyle(isDefault),
                               b.Bounds.Left, b.Bounds.Top, b.Bounds.Width, b.Bounds.Height, dlg,
                               reinterpret_cast<HMENU>(static_cast<INT_PTR>(kFirstButtonId + i)),
                               GetModuleHandleW(nullptr), nullptr);
    SendMessageW(btn, WM_SETFONT, reinterpret_cast<WPARAM>(font.Get()), FALSE);
    MarkDefaultButton(btn, isDefault);
    s.Buttons.push_back(btn);
  }

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
        Perform(dlg, s, DialogKey(layout, key, FocusedButton(s)));
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
  HMODULE comctl = GetModuleHandleW(L"comctl32.dll");
  auto fn = comctl ? reinterpret_cast<TaskDialogIndirectFn>(
                         reinterpret_cast<void*>(GetProcAddress(comctl, "TaskDialogIndirect")))
                   : nullptr;
  if (!fn) return -1;
  std::vector<std::wstring> captions;
  std::vector<TASKDIALOG_BUTTON> buttons;
  for (const auto& b : l.Buttons) captions.push_back(W(b.Caption));
  for (size_t i = 0; i < l.Buttons.size(); ++i)
    buttons.push_back({static_cast<int>(kFirstButtonId + i), captions[i].c_str()});
  const std::wstring caption = W(l.Caption), text = W(l.Text);
  TASKDIALOGCONFIG c{};
  c.cbSize = sizeof(c);
  c.hwndParent = owner;
  c.dwFlags = TDF_ALLOW_DIALOG_CANCELLATION | TDF_POSITION_RELATIVE_TO_WINDOW;
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
  GdiObject<HFONT> font(CreateMessageFont());
  Win32DialogMetrics metrics(font.Get());
  const TMessageDialogLayout layout = BuildMessageDialog(request, metrics, Application.Title);
  if (!Application.StyleApplied) {
    HWND owner = GetActiveWindow();
    const int r = RunTaskDialog(layout, owner ? owner : MainWindow);
    if (r >= 0) return r;
  }
  return RunMessageDialog(layout, MainWindow);
}

bool Win32Dialogs::RunAbout740Form() {
  Win32Form form(About740Layout());
  if (!form.Handle()) return false;
  form.ShowModal();
  return true;
}

TModalFormResult Win32Dialogs::RunModalForm(const TModalFormRequest& request) {
  TModalFormResult r;
  Win32Form form(*request.Layout);
  if (!form.Handle()) return r;
  for (const auto& [id, text] : request.Texts) form.SetText(id, text);
  if (request.OnClick)
    for (const TControlRow& row : request.Layout->Controls)
      form.OnClick[row.Id] = [&request, id = row.Id] { request.OnClick(id); };
  form.OnHelp = request.OnHelp;
  r.Created = true;
  r.ModalResult = form.ShowModal();
  r.CheckedRadio = form.CheckedRadio();
  return r;
}

void ShowToolkitError(const std::string& title, const std::string& text, const std::string& button,
                      HWND owner) {
  GdiObject<HFONT> font(CreateMessageFont());
  Win32DialogMetrics metrics(font.Get());
  TMessageDialogRequest r;
  r.Text = text;
  r.Kind = mtError;
  r.Buttons = Bit(mbClose);
  TMessageDialogLayout layout = BuildMessageDialog(r, metrics, "");
  layout.Caption = title;
  layout.Buttons[0].Caption = button;
  layout.DefaultIndex = layout.CancelIndex = 0;
  RunMessageDialog(layout, owner);
}

void Win32Dialogs::ShowToolkitError(const std::string& title, const std::string& text,
                                    const std::string& button) {
  win32::ShowToolkitError(title, text, button, GetActiveWindow());
}

void Win32Dialogs::ShowErrorBox(const std::string& caption, const std::string& text) {
  MessageBoxW(GetActiveWindow(), W(text).c_str(), W(caption).c_str(), MB_ICONERROR | MB_OK);
}

void Win32HelpErrorBox::Show(const std::string& caption, const std::string& text) {
  MessageBoxW(GetActiveWindow(), W(text).c_str(), W(caption).c_str(), MB_ICONERROR | MB_OK);
}

}  // namespace ui::win32
