// The Win32 front end under Wine: the main window drawn from its layout, the
// built message dialog's geometry and keys, the resources.

#include <gtest/gtest.h>
#include <windows.h>
#include <wincodec.h>
#include <commctrl.h>

#include <algorithm>
#include <cmath>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <functional>
#include <vector>

#include "config/Common.h"
#include "ui/Pictures.h"
#include "frontend/win32/Win32FrontEnd.h"
#include "frontend/win32/Win32InfoForm.h"
#include "frontend/win32/Win32Style.h"
#include "frontend/win32/Win32Util.h"
#include "help/Help.h"
#include "platform/TextDecode.h"
#include "ui/Application.h"
#include "ui/F_740.h"
#include "ui/F_FBInstallHelp.h"
#include "ui/F_SelSrv.h"
#include "ui/F_Ver.h"
#include "ui/Main.h"
#include "../AllLayouts.h"
#include "../Contrast.h"
#include "../KeyboardForms.h"
#include "../wine/MsaaTree.h"

using namespace ui;
using namespace ui::win32;

namespace {

std::function<void(HWND)> g_onDialog;

void CALLBACK FindDialog(HWND, UINT, UINT_PTR id, DWORD) {
  HWND dlg = FindWindowW(L"SkdMessageDialog", nullptr);
  if (!dlg || !IsWindowVisible(dlg)) return;
  KillTimer(nullptr, id);
  auto action = std::move(g_onDialog);
  if (action) action(dlg);
}

// Runs `action` on the next built message dialog once it is up.
void OnNextDialog(std::function<void(HWND)> action) {
  g_onDialog = std::move(action);
  SetTimer(nullptr, 0, 20, FindDialog);
}

void PostKey(HWND dlg, WPARAM key) {
  HWND target = GetFocus();
  if (!target || (target != dlg && !IsChild(dlg, target))) target = dlg;
  PostMessageW(target, WM_KEYDOWN, key, 1);
}

std::wstring Text(HWND h) {
  wchar_t buf[512] = {};
  GetWindowTextW(h, buf, 512);
  return buf;
}

class Win32FrontEnd : public ::testing::Test {
 protected:
  static void SetUpTestSuite() { ASSERT_TRUE(ApplyStyle("Amethyst Kamri")); }
  void SetUp() override {
    common::ResetSettings();
    Application.Reset();
    Application.Title = "Окно диска";
    Application.StyleApplied = true;
    dir_ = std::filesystem::temp_directory_path() / L"skd win32 тест";
    std::filesystem::create_directories(dir_);
    const auto u8 = dir_.u8string();
    common::ProgramDir = std::string(u8.begin(), u8.end()) + "\\";
  }
  void TearDown() override {
    std::error_code ec;
    std::filesystem::remove_all(dir_, ec);
    common::ResetSettings();
  }
  void WriteIni(const std::string& text) {
    std::ofstream(dir_ / L"setup.ini", std::ios::binary) << "\xEF\xBB\xBF" << text;
  }
  std::filesystem::path dir_;
  Win32Dialogs dialogs_;
};

TEST_F(Win32FrontEnd, StyleResourceByName) {
  EXPECT_FALSE(ApplyStyle("Amethyst Kamri 2"));
  ASSERT_TRUE(ApplyStyle("Amethyst Kamri"));
  EXPECT_EQ(ActiveStyle()->Name, "Amethyst Kamri");
}

TEST_F(Win32FrontEnd, PicturesFromResources) {
  struct {
    const char* name;
    int w, h;
  } cases[] = {{"SoftSetup.bmp", 32, 32}, {"View.bmp", 32, 32}, {"Doc.bmp", 32, 32},
               {"Image2.bmp", 150, 57}, {"Image1.png", 125, 38}};
  for (const auto& c : cases) {
    const Picture p = LoadPicture(c.name);
    ASSERT_FALSE(p.Empty()) << c.name;
    EXPECT_EQ(p.Width, c.w);
    EXPECT_EQ(p.Height, c.h);
  }
  EXPECT_TRUE(LoadPicture("Missing.bmp").Empty());
}

TEST_F(Win32FrontEnd, MainWindowFromItsLayout) {
  WriteIni("[PRG]\nName=Программа СКУД\nLocation=s.exe\nSetupHint=Поставить\n[DATE]\nDate=май\n");
  common::WindowName = "Диск СКУД";
  Win32MainWindow window(dialogs_);
  TSKDSetupForm form(window.Deps());
  window.Attach(form);
  form.FormCreate();
  EXPECT_FALSE(Application.Terminated);

  RECT client;
  GetClientRect(window.Handle(), &client);
  EXPECT_EQ(client.right, 482);
  EXPECT_EQ(client.bottom, 281);
  const LONG style = GetWindowLongW(window.Handle(), GWL_STYLE);
  EXPECT_TRUE(style & WS_SYSMENU);
  EXPECT_FALSE(style & (WS_THICKFRAME | WS_MINIMIZEBOX | WS_MAXIMIZEBOX));
  EXPECT_EQ(Text(window.Handle()), L"Диск СКУД");

  struct {
    int id;
    RECT r;
  } buttons[] = {{SoftSetupRXSB, {72, 130, 107, 165}},
                 {ViewRxSB, {168, 222, 203, 257}},
                 {DocRxSB, {168, 181, 203, 216}}};
  for (const auto& b : buttons) {
    const RECT r = window.ControlRect(b.id);
    EXPECT_TRUE(EqualRect(&r, &b.r)) << b.id << ": " << r.left << "," << r.top;
  }
  const RECT soft = window.ControlRect(SoftLabel);
  EXPECT_EQ(soft.left, 121);
  EXPECT_EQ(soft.top, 150);
  const RECT image2 = window.ControlRect(Image2);
  EXPECT_EQ(image2.right - image2.left, 150);
  EXPECT_EQ(image2.top, 8);
}

// Texts from setup.ini show as written: a '&' is no mnemonic and a tab does
// not end a hint (the tooltip would take both so without TTS_NOPREFIX).
TEST_F(Win32FrontEnd, SetupIniTextsAreShownAsWritten) {
  const std::string text = "Tom & Jerry\t<b>[*]</b>";
  WriteIni("[PRG]\nName=" + text + "\nLocation=s.exe\nSetupHint=" + text + "\n");
  common::WindowName = text;
  Win32MainWindow window(dialogs_);
  TSKDSetupForm form(window.Deps());
  window.Attach(form);
  form.FormCreate();
  EXPECT_EQ(Text(window.Handle()), W(text));
  const RECT b = window.ControlRect(SoftSetupRXSB);
  SendMessageW(window.Handle(), WM_MOUSEMOVE, 0, MAKELPARAM(b.left + 5, b.top + 5));
  HWND tip = nullptr;
  struct Find {
    static BOOL CALLBACK Tooltip(HWND h, LPARAM found) {
      wchar_t name[64];
      GetClassNameW(h, name, 64);
      if (lstrcmpiW(name, TOOLTIPS_CLASSW) == 0) *reinterpret_cast<HWND*>(found) = h;
      return TRUE;
    }
  };
  EnumThreadWindows(GetCurrentThreadId(), Find::Tooltip, reinterpret_cast<LPARAM>(&tip));
  ASSERT_NE(tip, nullptr);
  EXPECT_TRUE(GetWindowLongW(tip, GWL_STYLE) & TTS_NOPREFIX);
}

TEST_F(Win32FrontEnd, LongNameWidensTheLabelNotTheWindow) {
  std::string name;
  for (int i = 0; i < 6; ++i) name += "Очень длинное имя ";
  WriteIni("[PRG]\nName=" + name + "\nLocation=s.exe\n");
  Win32MainWindow window(dialogs_);
  TSKDSetupForm form(window.Deps());
  window.Attach(form);
  form.FormCreate();
  const RECT soft = window.ControlRect(SoftLabel);
  EXPECT_GT(soft.right - soft.left, 246);
  RECT client;
  GetClientRect(window.Handle(), &client);
  EXPECT_EQ(client.right, 482);
}

TEST_F(Win32FrontEnd, DialogKeysAndGeometry) {
  struct Case {
    dialogs::TMsgDlgButtons buttons;
    WPARAM key;
    int result;
  } cases[] = {{dialogs::mbOKOnly, VK_RETURN, 1},
               {dialogs::mbOKOnly, VK_ESCAPE, 1},
               {dialogs::mbYesNo, VK_RETURN, 6},
               {dialogs::mbYesNo, VK_ESCAPE, 7}};
  for (const auto& c : cases) {
    dialogs::TMessageDialogRequest r;
    r.Text = "Закрыть программу?";
    r.Kind = dialogs::mtShutdown;
    r.Buttons = c.buttons;
    std::wstring caption;
    RECT client{};
    OnNextDialog([&](HWND d) {
      caption = Text(d);
      GetClientRect(d, &client);
      PostKey(d, c.key);
    });
    EXPECT_EQ(dialogs_.ShowMessageDialog(r), c.result);
    EXPECT_EQ(caption, L"Завершение работы");
    const auto layout = MessageDialogLayout(r, Application.Title, SystemDpi());
    EXPECT_EQ(client.right, layout.ClientWidth);
    EXPECT_EQ(client.bottom, layout.ClientHeight);
  }
}

TEST_F(Win32FrontEnd, DialogButtonsAndCloseBox) {
  dialogs::TMessageDialogRequest r;
  r.Text = "Вопрос";
  r.Kind = dialogs::mtCustom;
  r.Buttons = dialogs::mbYesNo;
  std::wstring caption, no;
  OnNextDialog([&](HWND d) {
    caption = Text(d);
    HWND b = FindWindowExW(d, nullptr, L"BUTTON", L"Нет");
    no = b ? Text(b) : L"";
    if (b) PostMessageW(d, WM_COMMAND, MAKEWPARAM(GetDlgCtrlID(b), BN_CLICKED), (LPARAM)b);
  });
  EXPECT_EQ(dialogs_.ShowMessageDialog(r), 7);
  EXPECT_EQ(caption, L"Окно диска");
  EXPECT_EQ(no, L"Нет");

  OnNextDialog([](HWND d) { PostMessageW(d, WM_CLOSE, 0, 0); });
  EXPECT_NE(dialogs_.ShowMessageDialog(r), 6);
}

// Saves what a window shows, for a person to look at (SKD_SHOT_DIR).
void SaveShot(HWND h, const char* name) {
  const char* dir = getenv("SKD_SHOT_DIR");
  if (!dir) return;
  RECT r;
  GetWindowRect(h, &r);
  const int w = r.right - r.left, ht = r.bottom - r.top;
  HDC screen = GetDC(nullptr);
  HDC mem = CreateCompatibleDC(screen);
  BITMAPINFO bi{};
  bi.bmiHeader = {sizeof(BITMAPINFOHEADER), w, ht, 1, 24, BI_RGB, 0, 0, 0, 0, 0};
  void* bits = nullptr;
  HBITMAP bmp = CreateDIBSection(screen, &bi, DIB_RGB_COLORS, &bits, nullptr, 0);
  HGDIOBJ old = SelectObject(mem, bmp);
  UpdateWindow(h);
  BitBlt(mem, 0, 0, w, ht, screen, r.left, r.top, SRCCOPY);
  GdiFlush();
  const DWORD stride = ((w * 3 + 3) / 4) * 4, size = stride * ht;
  BITMAPFILEHEADER fh{0x4D42, static_cast<DWORD>(sizeof(fh) + sizeof(bi.bmiHeader) + size), 0, 0,
                      static_cast<DWORD>(sizeof(fh) + sizeof(bi.bmiHeader))};
  std::ofstream out(std::string(dir) + "/" + name, std::ios::binary);
  out.write(reinterpret_cast<const char*>(&fh), sizeof(fh));
  out.write(reinterpret_cast<const char*>(&bi.bmiHeader), sizeof(bi.bmiHeader));
  out.write(static_cast<const char*>(bits), size);
  SelectObject(mem, old);
  DeleteObject(bmp);
  DeleteDC(mem);
  ReleaseDC(nullptr, screen);
}

// What a child window shows now, as 0xRRGGBB pixels.
std::vector<std::uint32_t> Grab(HWND child) {
  RECT r;
  GetClientRect(child, &r);
  BITMAPINFO bi{};
  bi.bmiHeader = {sizeof(BITMAPINFOHEADER), r.right, -r.bottom, 1, 32, BI_RGB, 0, 0, 0, 0, 0};
  void* bits = nullptr;
  HDC dc = GetDC(child), mem = CreateCompatibleDC(dc);
  HBITMAP bmp = CreateDIBSection(dc, &bi, DIB_RGB_COLORS, &bits, nullptr, 0);
  HGDIOBJ old = SelectObject(mem, bmp);
  BitBlt(mem, 0, 0, r.right, r.bottom, dc, 0, 0, SRCCOPY);
  GdiFlush();
  const auto* px = static_cast<const std::uint32_t*>(bits);
  std::vector<std::uint32_t> out(px, px + r.right * r.bottom);
  for (auto& p : out) p &= 0xFFFFFF;
  SelectObject(mem, old);
  DeleteObject(bmp);
  DeleteDC(mem);
  ReleaseDC(child, dc);
  return out;
}

// The least contrast between the pixels that differ in two pictures of
// one window; 0 when none differ.
double LeastContrast(const std::vector<std::uint32_t>& a, const std::vector<std::uint32_t>& b) {
  double least = 0;
  for (std::size_t i = 0; i < a.size() && i < b.size(); ++i)
    if (a[i] != b[i]) {
      const double c = Contrast(a[i], b[i]);
      least = least == 0 ? c : std::min(least, c);
    }
  return least;
}

// The close question before and after Tab: the button that takes the focus
// shows it in pixels that stand out 3:1 from what they replace (the face
// beside them), not as the default's frame, which the default keeps.
TEST_F(Win32FrontEnd, FocusedButtonToldFromTheDefault) {
  dialogs::TMessageDialogRequest r;
  r.Text = "Закрыть программу?";
  r.Kind = dialogs::mtShutdown;
  r.Buttons = dialogs::mbYesNo;
  std::vector<std::uint32_t> yes[2], no[2];
  OnNextDialog([&](HWND d) {
    HWND y = FindWindowExW(d, nullptr, L"BUTTON", L"Да");
    HWND n = FindWindowExW(d, nullptr, L"BUTTON", L"Нет");
    RedrawWindow(d, nullptr, nullptr, RDW_UPDATENOW | RDW_ALLCHILDREN);
    yes[0] = Grab(y), no[0] = Grab(n);
    SaveShot(d, "win32_close_question.bmp");
    PostKey(d, VK_TAB);
    OnNextDialog([&, y, n](HWND d2) {
      RedrawWindow(d2, nullptr, nullptr, RDW_UPDATENOW | RDW_ALLCHILDREN);
      yes[1] = Grab(y), no[1] = Grab(n);
      SaveShot(d2, "win32_close_question_tab.bmp");
      PostKey(d2, VK_ESCAPE);
    });
  });
  EXPECT_EQ(dialogs_.ShowMessageDialog(r), 7);
  ASSERT_FALSE(no[0].empty());
  EXPECT_GE(LeastContrast(no[0], no[1]), 3.0);
  const std::uint32_t frame = ActiveStyle()->WindowText;
  const auto framePixels = [frame](const std::vector<std::uint32_t>& px) {
    return std::count(px.begin(), px.end(), frame);
  };
  EXPECT_GT(framePixels(yes[0]), 0);
  EXPECT_EQ(framePixels(yes[1]), framePixels(yes[0]));
  EXPECT_EQ(framePixels(no[1]), 0);  // the focus is no second default
}

std::function<void(HWND)> g_onForm;
const wchar_t* g_formCaption = L"Нет прав на запуск приложения";

void CALLBACK FindForm(HWND, UINT, UINT_PTR id, DWORD) {
  HWND h = FindWindowW(L"SkdForm", g_formCaption);
  if (!h || !IsWindowVisible(h)) return;
  KillTimer(nullptr, id);
  auto action = std::move(g_onForm);
  if (action) action(h);
}

TEST_F(Win32FrontEnd, LaunchFailureReport) {
  dialogs::TMessageDialogRequest r;
  r.Text = "Невозможно выполнить \"Программное обеспечение СКУД \"Ловерин\"\":\r"
           "файл приложения не найден.";
  r.Kind = dialogs::mtError;
  r.Buttons = dialogs::mbOKOnly;
  std::wstring caption;
  OnNextDialog([&](HWND d) {
    caption = Text(d);
    SaveShot(d, "win32_launch_error.bmp");
    PostKey(d, VK_RETURN);
  });
  EXPECT_EQ(dialogs_.ShowMessageDialog(r), 1);
  EXPECT_EQ(caption, L"Ошибка");
}

TEST_F(Win32FrontEnd, NoRightsWindow) {
  Win32Form form(About740Layout());
  RECT client;
  GetClientRect(form.Handle(), &client);
  EXPECT_EQ(client.right, 500);
  EXPECT_EQ(client.bottom, 642);
  HWND memo1 = form.ControlHandle(Memo1);
  ASSERT_TRUE(memo1);

  HWND focused = nullptr;
  g_onForm = [&](HWND h) {
    focused = GetFocus();
    SaveShot(h, "win32_no_rights.bmp");
    PostMessageW(GetFocus(), WM_KEYDOWN, VK_ESCAPE, 1);
  };
  SetTimer(nullptr, 0, 50, FindForm);
  EXPECT_EQ(form.ShowModal(), 2);
  EXPECT_EQ(focused, memo1);

  g_onForm = [&](HWND h) { PostMessageW(h, WM_CLOSE, 0, 0); };
  SetTimer(nullptr, 0, 50, FindForm);
  EXPECT_EQ(form.ShowModal(), 2);
}

}  // namespace

namespace {

RECT ChildRect(HWND form, HWND child) {
  RECT r;
  GetWindowRect(child, &r);
  MapWindowPoints(nullptr, form, reinterpret_cast<POINT*>(&r), 2);
  return r;
}

bool Checked(HWND radio) { return SendMessageW(radio, BM_GETCHECK, 0, 0) == BST_CHECKED; }

// Runs `action` on the next form with `caption` once it is up.
void OnNextForm(const wchar_t* caption, std::function<void(HWND)> action) {
  g_formCaption = caption;
  g_onForm = std::move(action);
  SetTimer(nullptr, 0, 50, FindForm);
}

// Every row of every layout as its table says: at its place (at its size
// where the table fixes it), with its text, shown or hidden, and in its turn
// of the tab order (the windows' z-order).
TEST_F(Win32FrontEnd, EveryLayoutRowAsTheTableSays) {
  using namespace all_layouts;
  for (const TFormLayout* layout : AllLayouts()) {
    SCOPED_TRACE(layout->Name);
    Win32Form form(*layout);
    for (const TControlRow& row : layout->Controls) {
      SCOPED_TRACE(row.Name);
      const RECT r = form.ControlRect(row.Id);
      const TBounds place = ClientBounds(*layout, row);
      EXPECT_EQ(r.left, place.Left);
      EXPECT_EQ(r.top, place.Top);
      if (SizedByTable(row.Kind)) {
        EXPECT_EQ(r.right - r.left, row.Width);
        EXPECT_EQ(r.bottom - r.top, row.Height);
      }
      EXPECT_EQ(form.ControlText(row.Id), W(row.Text));
      EXPECT_EQ(form.ControlVisible(row.Id), row.Visible);
      if (row.Kind == ControlKind::RadioButton) {
        // Its whole caption shows, the button's own measure says, inside the window.
        SIZE ideal{};
        RECT w, client;
        SendMessageW(form.ControlHandle(row.Id), BCM_GETIDEALSIZE, 0, (LPARAM)&ideal);
        GetWindowRect(form.ControlHandle(row.Id), &w);
        MapWindowPoints(nullptr, form.Handle(), reinterpret_cast<POINT*>(&w), 2);
        GetClientRect(form.Handle(), &client);
        EXPECT_GE(w.right - w.left, ideal.cx);
        EXPECT_LE(w.right, client.right);
      }
    }
    // A radio group keeps its tab stop on the checked button only.
    std::vector<int> chain;
    for (HWND h = GetWindow(form.Handle(), GW_CHILD); h; h = GetWindow(h, GW_HWNDNEXT))
      for (const TControlRow& row : layout->Controls)
        if (form.ControlHandle(row.Id) == h &&
            ((GetWindowLongW(h, GWL_STYLE) & WS_TABSTOP) || row.Kind == ControlKind::RadioButton))
          chain.push_back(row.Id);
    EXPECT_EQ(chain, TabChain(*layout));
  }
}

TEST_F(Win32FrontEnd, SelectServerDialog) {
  Win32Form form(SelectServerLayout());
  RECT client;
  GetClientRect(form.Handle(), &client);
  EXPECT_EQ(client.right, 402);
  EXPECT_EQ(client.bottom, 506);
  EXPECT_EQ(Text(form.Handle()), L"Выбор сервера для инсталляции");
  const int ids[4] = {selsrv::RadioButton1, selsrv::RadioButton2, selsrv::RadioButton3,
                      selsrv::RadioButton4};
  HWND radio[4];
  for (int i = 0; i < 4; ++i) {
    radio[i] = form.ControlHandle(ids[i]);
    ASSERT_TRUE(radio[i]);
    EXPECT_EQ(Checked(radio[i]), i == 0);
    EXPECT_EQ((GetWindowLongW(radio[i], GWL_STYLE) & WS_GROUP) != 0, i == 0);
  }
  HWND cont = form.ControlHandle(selsrv::ContinueBtn);
  HWND cancel = form.ControlHandle(selsrv::CancelBtn);

  // Tab itself enters the radio group at its checked button, as dialogs do.
  EXPECT_EQ(GetNextDlgTabItem(form.Handle(), cancel, FALSE), cont);
  EXPECT_EQ(GetNextDlgTabItem(form.Handle(), cont, FALSE), radio[0]);

  // One group: a click on the fourth unchecks the first.
  SendMessageW(radio[3], BM_CLICK, 0, 0);
  EXPECT_TRUE(Checked(radio[3]));
  EXPECT_FALSE(Checked(radio[0]));
  EXPECT_EQ(form.CheckedRadio(), int(selsrv::RadioButton4));

  // The focus shows on a radio as a frame 3:1 against the window it lies
  // on, beside its caption, not on it, and leaves nothing behind: radio 3
  // after a visit of the focus looks as radio 2, of the same caption, that
  // had none. Escape does nothing: neither button is the cancel button.
  std::vector<std::uint32_t> pristine, focused, unfocused;
  OnNextForm(L"Выбор сервера для инсталляции", [&](HWND h) {
    const auto shot = [h](HWND radio) {
      RedrawWindow(h, nullptr, nullptr, RDW_UPDATENOW | RDW_ALLCHILDREN);
      return Grab(radio);
    };
    pristine = shot(radio[1]);
    SetFocus(radio[2]);
    focused = shot(radio[2]);
    SetFocus(cancel);
    unfocused = shot(radio[2]);
    PostMessageW(GetFocus(), WM_KEYDOWN, VK_ESCAPE, 1);
    PostMessageW(cancel, BM_CLICK, 0, 0);
    (void)h;
  });
  EXPECT_EQ(form.ShowModal(), int(dialogs::mrCancel));
  EXPECT_EQ(unfocused, pristine);
  EXPECT_GE(LeastContrast(focused, unfocused), 3.0);
  const COLORREF face = ResolveColour(SelectServerLayout().Background);
  const std::uint32_t window = GetRValue(face) << 16 | GetGValue(face) << 8 | GetBValue(face);
  for (std::size_t i = 0; i < focused.size(); ++i)
    if (focused[i] != unfocused[i]) {
      ASSERT_EQ(unfocused[i], window) << i;
    }
}

TEST_F(Win32FrontEnd, SelectServerContinueWithEachVariant) {
  const int ids[4] = {selsrv::RadioButton1, selsrv::RadioButton2, selsrv::RadioButton3,
                      selsrv::RadioButton4};
  for (int variant = 1; variant <= 4; ++variant) {
    bool firstChecked = false;
    OnNextForm(L"Выбор сервера для инсталляции", [&](HWND h) {
      HWND radio = GetDlgItem(h, 200 + ids[variant - 1]);
      firstChecked = Checked(GetDlgItem(h, 200 + selsrv::RadioButton1));
      SendMessageW(radio, BM_CLICK, 0, 0);
      if (variant == 3) {
        UpdateWindow(h);
        SaveShot(h, "win32_select_server.bmp");
      }
      PostMessageW(GetDlgItem(h, 200 + selsrv::ContinueBtn), BM_CLICK, 0, 0);
    });
    EXPECT_EQ(SelectServer(dialogs_), variant);
    EXPECT_TRUE(firstChecked) << variant;  // each selection opens at the first
  }
  OnNextForm(L"Выбор сервера для инсталляции", [](HWND h) { PostMessageW(h, WM_CLOSE, 0, 0); });
  EXPECT_EQ(SelectServer(dialogs_), 0);
}


// Handles the thread's messages for a while, as the program's loops do.
void Pump(DWORD milliseconds) {
  const ULONGLONG end = GetTickCount64() + milliseconds;
  MSG m;
  while (GetTickCount64() < end) {
    while (PeekMessageW(&m, nullptr, 0, 0, PM_REMOVE)) {
      TranslateMessage(&m);
      DispatchMessageW(&m);
    }
    Sleep(10);
  }
}

bool WaitCursorAt(HWND window) {
  SetCursor(LoadCursorW(nullptr, IDC_ARROW));
  const LRESULT handled =
      SendMessageW(window, WM_SETCURSOR, reinterpret_cast<WPARAM>(window),
                   MAKELPARAM(HTCLIENT, WM_MOUSEMOVE));
  return handled && GetCursor() == LoadCursorW(nullptr, IDC_WAIT);
}

// True when the window shows `frame` of the strip in its client area.
bool ShowsFrame(HWND window, const Picture& strip, int frame) {
  RECT r;
  GetClientRect(window, &r);
  const int w = r.right, h = r.bottom;
  BITMAPINFO bi{};
  bi.bmiHeader = {sizeof(BITMAPINFOHEADER), w, -h, 1, 32, BI_RGB, 0, 0, 0, 0, 0};
  void* bits = nullptr;
  HDC dc = GetDC(window);
  HBITMAP shot = CreateDIBSection(dc, &bi, DIB_RGB_COLORS, &bits, nullptr, 0);
  HDC mem = CreateCompatibleDC(dc);
  HGDIOBJ old = SelectObject(mem, shot);
  BitBlt(mem, 0, 0, w, h, dc, 0, 0, SRCCOPY);
  GdiFlush();
  DIBSECTION strip_bits{};
  GetObjectW(strip.Bitmap.Get(), sizeof(strip_bits), &strip_bits);
  bool same = w * (frame + 1) <= strip.Width && h == strip.Height;
  for (int y = 0; same && y < h; ++y)
    for (int x = 0; same && x < w; ++x) {
      const auto* s = static_cast<const BYTE*>(strip_bits.dsBm.bmBits) +
                      (static_cast<size_t>(y) * strip.Width + frame * w + x) * 4;
      const auto* p = static_cast<const BYTE*>(bits) + (static_cast<size_t>(y) * w + x) * 4;
      same = s[0] == p[0] && s[1] == p[1] && s[2] == p[2];
    }
  SelectObject(mem, old);
  DeleteDC(mem);
  DeleteObject(shot);
  ReleaseDC(window, dc);
  return same;
}

TEST_F(Win32FrontEnd, ProgressWindowThroughShowInfo) {
  struct Reset {
    ~Reset() {
      HideInfo();
      SetInfoEnvironment({});
    }
  } reset;
  InstallInfoEnvironment();
  const ULONGLONG start = GetTickCount64();
  ShowInfo("DIZ_JSC.GDB");
  EXPECT_GE(GetTickCount64() - start, static_cast<ULONGLONG>(kInfoPauseMs));
  auto* form = dynamic_cast<Win32InfoForm*>(InfoForm.get());
  ASSERT_TRUE(form);
  HWND h = form->Handle();
  EXPECT_TRUE(IsWindowVisible(h));
  EXPECT_EQ(Text(h), L"Установка библиотек ...");
  RECT client;
  GetClientRect(h, &client);
  EXPECT_EQ(client.right, 288);
  EXPECT_EQ(client.bottom, 99);
  const LONG style = GetWindowLongW(h, GWL_STYLE);
  EXPECT_EQ(style & WS_CAPTION, WS_CAPTION);
  EXPECT_FALSE(style & (WS_SYSMENU | WS_THICKFRAME | WS_MINIMIZEBOX | WS_MAXIMIZEBOX));
  EXPECT_TRUE(GetWindowLongW(h, GWL_EXSTYLE) & WS_EX_TOPMOST);
  RECT wr;
  GetWindowRect(h, &wr);
  EXPECT_LE(std::abs((wr.left + wr.right) / 2 - GetSystemMetrics(SM_CXSCREEN) / 2), 1);
  EXPECT_LE(std::abs((wr.top + wr.bottom) / 2 - GetSystemMetrics(SM_CYSCREEN) / 2), 1);
  EXPECT_NE(GetActiveWindow(), h);
  EXPECT_TRUE(WaitCursorAt(h));

  // The label fits its text.
  HFONT font = CreateLayoutFont(InfoLayout().Font, form->Dpi());
  HDC dc = GetDC(h);
  HGDIOBJ oldFont = SelectObject(dc, font);
  const auto width = [dc](const wchar_t* s) {
    SIZE size{};
    GetTextExtentPoint32W(dc, s, lstrlenW(s), &size);
    return size.cx;
  };
  const LONG longName = width(L"DIZ_JSC.GDB"), shortName = width(L"A.DLL");
  SelectObject(dc, oldFont);
  ReleaseDC(h, dc);
  DeleteObject(font);
  RECT label = form->ControlRect(info::FileNameLabel);
  EXPECT_EQ(label.left, 8);
  EXPECT_EQ(label.top, 8);
  EXPECT_EQ(label.right - label.left, longName);

  Animation* animation = form->AnimationControl();
  ASSERT_TRUE(animation);
  HWND animationWindow = form->ControlHandle(info::Animate1);
  const RECT ar = ChildRect(h, animationWindow);
  const RECT expected{8, 32, 280, 92};
  EXPECT_TRUE(EqualRect(&ar, &expected));
  EXPECT_TRUE(WaitCursorAt(animationWindow));
  EXPECT_TRUE(animation->Active());
  // The pause handles no message, yet the animation moved during it.
  EXPECT_NE(animation->Frame(), 0);
  const int frame = animation->Frame();
  Pump(300);
  EXPECT_NE(animation->Frame(), frame);
  SaveShot(h, "win32_info.bmp");

  // The next file reuses the window and shows its name at once.
  ShowInfo("A.DLL");
  EXPECT_EQ(InfoForm.get(), static_cast<IInfoForm*>(form));
  label = form->ControlRect(info::FileNameLabel);
  EXPECT_EQ(label.right - label.left, shortName);
  EXPECT_TRUE(animation->Active());

  // Alt+F4 does not end it; HideInfo does.
  SendMessageW(h, WM_CLOSE, 0, 0);
  EXPECT_TRUE(IsWindowVisible(h));
  HideInfo();
  EXPECT_FALSE(InfoForm);
  EXPECT_FALSE(IsWindow(h));
}

TEST_F(Win32FrontEnd, AnimationLoopsThroughItsFrames) {
  const Picture strip = LoadPicture("CopyFiles.png");
  ASSERT_FALSE(strip.Empty());
  EXPECT_EQ(strip.Height, 60);
  EXPECT_EQ(strip.Width % 272, 0);
  Win32Form form(InfoLayout());
  ShowWindow(form.Handle(), SW_SHOWNOACTIVATE);
  HWND window = form.ControlHandle(info::Animate1);
  Animation* animation = Animation::From(window);
  ASSERT_TRUE(animation);
  EXPECT_EQ(Animation::From(form.Handle()), nullptr);
  EXPECT_EQ(animation->FrameCount(), strip.Width / 272);
  EXPECT_FALSE(animation->Active());
  Pump(200);
  EXPECT_EQ(animation->Frame(), 0);
  EXPECT_TRUE(ShowsFrame(window, strip, 0));

  animation->SetActive(true);
  bool wrapped = false;
  int last = 0;
  for (const ULONGLONG end = GetTickCount64() + 5000; !wrapped && GetTickCount64() < end;) {
    Pump(20);
    wrapped = animation->Frame() < last;
    last = animation->Frame();
  }
  EXPECT_TRUE(wrapped) << "the animation did not start over";
  animation->SetActive(false);
  const int stopped = animation->Frame();
  Pump(300);
  EXPECT_FALSE(animation->Active());
  EXPECT_EQ(animation->Frame(), stopped);
  EXPECT_TRUE(ShowsFrame(window, strip, stopped));
}

TEST_F(Win32FrontEnd, DatabasePictures) {
  struct {
    const char* name;
    int w, h;
  } cases[] = {{"Server.bmp", 32, 32}, {"Firebird.bmp", 32, 32}};
  for (const auto& c : cases) {
    const Picture p = LoadPicture(c.name);
    ASSERT_FALSE(p.Empty()) << c.name;
    EXPECT_EQ(p.Width, c.w);
    EXPECT_EQ(p.Height, c.h);
  }
}

struct TopicRecorder : help::THelpProvider {
  std::vector<int>* topics;
  explicit TopicRecorder(std::vector<int>* t) : topics(t) {}
  bool Loaded() const override { return true; }
  void ShowContents() override {}
  void ShowTopic(std::int32_t c) override { topics->push_back(c); }
};

TEST_F(Win32FrontEnd, VersionDialog) {
  std::vector<int> topics;
  help::HelpProvider = std::make_unique<TopicRecorder>(&topics);
  std::wstring verText;
  RECT client{};
  bool stillOpen = false;
  OnNextForm(L"О версии InterBase", [&](HWND h) {
    GetClientRect(h, &client);
    SaveShot(h, "win32_version_dialog.bmp");
    // Help and F1 leave it open; Escape answers "Нет".
    SendMessageW(GetDlgItem(h, 200 + ver::HelpButton), BM_CLICK, 0, 0);
    PostMessageW(GetFocus(), WM_KEYDOWN, VK_F1, 1);
    PostMessageW(GetFocus(), WM_KEYDOWN, VK_ESCAPE, 1);
    stillOpen = IsWindowVisible(h) != 0;
  });
  EXPECT_FALSE(ShowVerDialog(dialogs_, "5"));
  EXPECT_TRUE(stillOpen);
  EXPECT_EQ(client.right, 369);
  EXPECT_EQ(client.bottom, 229);
  EXPECT_EQ(topics, (std::vector<int>{100, 100}));

  OnNextForm(L"О версии InterBase", [](HWND h) {
    PostMessageW(GetDlgItem(h, 200 + ver::OkButton), BM_CLICK, 0, 0);
  });
  EXPECT_TRUE(ShowVerDialog(dialogs_, "???"));
  help::HelpProvider.reset();
}

TEST_F(Win32FrontEnd, VersionLabelTakesTheText) {
  Win32Form form(VerLayout());
  form.SetText(ver::VerLabel, "12");
  const RECT r = form.ControlRect(ver::VerLabel);
  EXPECT_EQ(r.left, 72);
  EXPECT_EQ(r.top, 128);
  EXPECT_GT(r.right - r.left, 0);
}

TEST_F(Win32FrontEnd, FirebirdNotice) {
  std::vector<int> topics;
  help::HelpProvider = std::make_unique<TopicRecorder>(&topics);
  HWND focused = nullptr, helpBtn = nullptr;
  RECT client{};
  OnNextForm(L"Полезная информация", [&](HWND h) {
    GetClientRect(h, &client);
    focused = GetFocus();
    helpBtn = GetDlgItem(h, 200 + fbhelp::HelpBtn);
    SaveShot(h, "win32_firebird_notice.bmp");
    SendMessageW(helpBtn, BM_CLICK, 0, 0);
    PostMessageW(GetFocus(), WM_KEYDOWN, VK_ESCAPE, 1);  // no cancel button: nothing
    PostMessageW(h, WM_CLOSE, 0, 0);
  });
  EXPECT_FALSE(ShowFBInstallHelp(dialogs_));
  EXPECT_EQ(focused, helpBtn);
  EXPECT_EQ(client.right, 336);
  EXPECT_EQ(client.bottom, 171);
  EXPECT_EQ(topics, std::vector<int>{200});

  OnNextForm(L"Полезная информация", [](HWND h) {
    PostMessageW(GetDlgItem(h, 200 + fbhelp::ContinueBtn), BM_CLICK, 0, 0);
  });
  EXPECT_TRUE(ShowFBInstallHelp(dialogs_));
  help::HelpProvider.reset();
}

TEST_F(Win32FrontEnd, DatabaseCommandQuestions) {
  struct Case {
    const char* shot;
    dialogs::TMsgDlgType kind;
    dialogs::TMsgDlgButtons buttons;
    std::string text;
  } cases[] = {
      {"win32_question_ib.bmp", dialogs::mtConfirmation, dialogs::mbYesNo,
       "На Вашем компьютере уже установлен InterBase/FireBird\r(версия 2.5).\rПродолжить "
       "установку?"},
      {"win32_question_db.bmp", dialogs::mtWarning, dialogs::mbOKOnly,
       "Путь к базе данных НЕ ДОЛЖЕН содержать символы национальной\rкодировки (проще говоря, "
       "русские буквы!) - в этом случае возможны\rпроблемы с функционированием сервисов "
       "InterBase/FireBird (упаковка\rбазы данных и т.п.).\r\rПожалуйста, установливайте "
       "базу данных по пути, содержащем\r                  ТОЛЬКО АНГЛИЙСКИЕ БУКВЫ!"},
  };
  for (const Case& c : cases) {
    dialogs::TMessageDialogRequest r;
    r.Text = c.text;
    r.Kind = c.kind;
    r.Buttons = c.buttons;
    OnNextDialog([&](HWND d) {
      SaveShot(d, c.shot);
      PostKey(d, VK_ESCAPE);
    });
    dialogs_.ShowMessageDialog(r);
  }
}

}  // namespace

namespace {

// Screen scale: every window lays itself out again when its DPI changes.

RECT ScaledRect(int left, int top, int right, int bottom, int dpi) {
  return {ScaleTo(left, dpi), ScaleTo(top, dpi), ScaleTo(right, dpi), ScaleTo(bottom, dpi)};
}

std::string Str(const RECT& r) {
  return std::to_string(r.left) + "," + std::to_string(r.top) + "," + std::to_string(r.right) +
         "," + std::to_string(r.bottom);
}

// What Windows 8.1 sends when a window moves to a monitor of another DPI:
// the old rectangle scaled, a little further on. The window takes it.
RECT ChangeDpi(HWND h, int from, int to) {
  RECT r;
  GetWindowRect(h, &r);
  RECT suggested{r.left + 10, r.top + 10, r.left + 10 + MulDiv(r.right - r.left, to, from),
                 r.top + 10 + MulDiv(r.bottom - r.top, to, from)};
  SendMessageW(h, WM_DPICHANGED, MAKEWPARAM(to, to), reinterpret_cast<LPARAM>(&suggested));
  return suggested;
}

struct Windows7Only {
  explicit Windows7Only(bool only) { UseWindows7ApisOnly(only); }
  ~Windows7Only() { UseWindows7ApisOnly(false); }
};

constexpr int kDpis[] = {120, 144, 192, 96};

TEST_F(Win32FrontEnd, MainWindowFollowsItsDpi) {
  WriteIni("[PRG]\nName=Программа СКУД\nLocation=s.exe\n");
  for (const bool windows7 : {false, true}) {
    Windows7Only apis(windows7);
    Win32MainWindow window(dialogs_);
    TSKDSetupForm form(window.Deps());
    window.Attach(form);
    form.FormCreate();
    HWND h = window.Handle();
    int from = window.Dpi();
    ASSERT_EQ(from, SystemDpi());
    const int labelDpi = from;
    const LONG labelHeight =
        window.ControlRect(SoftLabel).bottom - window.ControlRect(SoftLabel).top;
    for (const int dpi : kDpis) {
      SCOPED_TRACE(std::string(windows7 ? "Windows 7, " : "") + std::to_string(dpi) + " dpi");
      const RECT suggested = ChangeDpi(h, from, dpi);
      from = dpi;
      EXPECT_EQ(window.Dpi(), dpi);
      RECT client, frame;
      GetClientRect(h, &client);
      GetWindowRect(h, &frame);
      EXPECT_EQ(client.right, ScaleTo(482, dpi));
      EXPECT_EQ(client.bottom, ScaleTo(281, dpi));
      EXPECT_EQ(frame.left, suggested.left);
      EXPECT_EQ(frame.top, suggested.top);

      const RECT button = window.ControlRect(SoftSetupRXSB);
      const RECT wanted = ScaledRect(72, 130, 107, 165, dpi);
      EXPECT_TRUE(EqualRect(&button, &wanted)) << Str(button);
      const SIZE icon = window.PictureSize(SoftSetupRXSB);
      EXPECT_EQ(icon.cx, ScaleTo(32, dpi));
      EXPECT_EQ(icon.cy, ScaleTo(32, dpi));
      // At its place, at its size: each scaled on its own.
      const RECT image2 = window.ControlRect(Image2);
      EXPECT_EQ(image2.left, ScaleTo(303, dpi));
      EXPECT_EQ(image2.top, ScaleTo(8, dpi));
      EXPECT_EQ(image2.right - image2.left, ScaleTo(150, dpi));
      EXPECT_EQ(image2.bottom - image2.top, ScaleTo(57, dpi));

      // The label's font grew with the rest: its height follows the scale.
      const RECT label = window.ControlRect(SoftLabel);
      EXPECT_EQ(label.top, ScaleTo(150, dpi));
      EXPECT_NEAR(label.bottom - label.top, MulDiv(labelHeight, dpi, labelDpi), 2);
    }
  }
}

// The layouts were drawn tight around their texts: at no scale may a label
// run past its window's edge.
TEST_F(Win32FrontEnd, LabelsStayInsideTheirWindowsAtEachDpi) {
  for (const TFormLayout* layout : {&MainLayout(), &SelectServerLayout(), &VerLayout(),
                                    &FBInstallHelpLayout(), &InfoLayout()}) {
    Win32Form form(*layout);
    int from = form.Dpi();
    for (const int dpi : kDpis) {
      ChangeDpi(form.Handle(), from, dpi);
      from = dpi;
      // The layout's area: a tall window may not fit this small screen.
      const int width = ScaleTo(layout->ClientWidth, dpi);
      const int height = ScaleTo(layout->ClientHeight, dpi);
      for (const TControlRow& row : layout->Controls) {
        if (row.Kind != ControlKind::Label) continue;
        const RECT r = form.ControlRect(row.Id);
        EXPECT_LE(r.right, width) << layout->Name << "." << row.Name << " at " << dpi;
        EXPECT_LE(r.bottom, height) << layout->Name << "." << row.Name << " at " << dpi;
      }
    }
  }
}

TEST_F(Win32FrontEnd, ProgressFramesFollowTheirDpi) {
  Win32Form form(InfoLayout());
  ShowWindow(form.Handle(), SW_SHOWNOACTIVATE);
  HWND window = form.ControlHandle(info::Animate1);
  Animation* animation = Animation::From(window);
  ASSERT_TRUE(animation);
  const int frames = animation->FrameCount();
  int from = form.Dpi();
  for (const int dpi : kDpis) {
    SCOPED_TRACE(std::to_string(dpi) + " dpi");
    ChangeDpi(form.Handle(), from, dpi);
    from = dpi;
    RECT client;
    GetClientRect(form.Handle(), &client);
    EXPECT_EQ(client.right, ScaleTo(288, dpi));
    EXPECT_EQ(client.bottom, ScaleTo(99, dpi));
    const RECT r = ChildRect(form.Handle(), window);
    const RECT wanted = ScaledRect(8, 32, 280, 92, dpi);
    EXPECT_TRUE(EqualRect(&r, &wanted)) << Str(r);
    EXPECT_EQ(animation->FrameCount(), frames);
    // One whole frame fills the control, pixel for pixel.
    UpdateWindow(window);
    EXPECT_TRUE(ShowsFrame(window, animation->Strip(), animation->Frame()));
  }
}

TEST_F(Win32FrontEnd, PicturesAtEachDpi) {
  struct {
    const char* name;
    int w, h, frameWidth;
  } pictures[] = {{"SoftSetup.bmp", 32, 32, 0}, {"View.bmp", 32, 32, 0},
                  {"Doc.bmp", 32, 32, 0},       {"Image2.bmp", 150, 57, 0},
                  {"Image1.png", 125, 38, 0},   {"Close21.bmp", 21, 21, 0},
                  {"Uac.png", 500, 368, 0},     {"CopyFiles.png", 4352, 60, 272}};
  for (const auto& p : pictures)
    for (const int dpi : {96, 120, 144, 168, 192, 240}) {
      SCOPED_TRACE(std::string(p.name) + " at " + std::to_string(dpi));
      const Picture pic = LoadPicture(p.name, false, dpi, p.frameWidth);
      ASSERT_FALSE(pic.Empty());
      const int frames = p.frameWidth ? p.w / p.frameWidth : 1;
      EXPECT_EQ(pic.Width, frames * ScaleTo(p.w / frames, dpi));
      EXPECT_EQ(pic.Height, ScaleTo(p.h, dpi));
      const Picture greyed = LoadPicture(p.name, true, dpi, p.frameWidth);
      EXPECT_EQ(greyed.Width, pic.Width);
      // A bitmap's key colour stays undrawn at every size.
      if (std::string(p.name).ends_with(".bmp")) {
        DIBSECTION d{};
        GetObjectW(pic.Bitmap.Get(), sizeof(d), &d);
        const auto* corner = static_cast<const BYTE*>(d.dsBm.bmBits) +
                             static_cast<size_t>(pic.Height - 1) * pic.Width * 4;
        EXPECT_EQ(corner[3], 0);
      }
    }
}

std::vector<BYTE> Pixels(std::initializer_list<std::uint32_t> argb) {
  std::vector<BYTE> out;
  for (std::uint32_t p : argb)
    out.insert(out.end(), {BYTE(p), BYTE(p >> 8), BYTE(p >> 16), BYTE(p >> 24)});
  return out;
}

TEST(Win32Pictures, ResamplesInPremultipliedAlpha) {
  const std::uint32_t c = 0xFF336699;
  struct {
    const char* what;
    int sw, sh;
    std::vector<BYTE> in;
    int tw, th;
    std::vector<BYTE> out;
  } cases[] = {
      {"same size is a copy", 2, 1, Pixels({0xFF102030, 0x80402010}), 2, 1,
       Pixels({0xFF102030, 0x80402010})},
      {"halving averages the four", 2, 2, Pixels({0xFFFFFFFF, 0, 0, 0}), 1, 1,
       Pixels({0x40404040})},
      {"two thirds keeps a flat colour", 3, 3, Pixels({c, c, c, c, c, c, c, c, c}), 2, 2,
       Pixels({c, c, c, c})},
      {"growing keeps a flat colour", 2, 1, Pixels({c, c}), 5, 1, Pixels({c, c, c, c, c})},
      {"growing interpolates between centres", 1, 2, Pixels({0, 0xFFFFFFFF}), 1, 4,
       Pixels({0, 0x40404040, 0xBFBFBFBF, 0xFFFFFFFF})},
      {"shrinking shares the straddled pixel", 4, 1, Pixels({0, 0xFFFFFFFF, 0xFFFFFFFF, 0}), 3, 1,
       Pixels({0x40404040, 0xFFFFFFFF, 0x40404040})},
  };
  for (const auto& t : cases) {
    std::vector<BYTE> out(static_cast<size_t>(t.tw) * t.th * 4, 0xEE);
    ResamplePremultiplied(t.in.data(), t.sw, t.sh, t.sw * 4, out.data(), t.tw, t.th, t.tw * 4);
    EXPECT_EQ(out, t.out) << t.what;
  }
}

// The system's codec (WIC): what the hand-made decoder must agree with.
template <typename T>
struct Com {
  T* p = nullptr;
  ~Com() {
    if (p) p->Release();
  }
};

bool DecodeBySystem(IWICImagingFactory* wic, const BYTE* data, size_t size, DecodedPicture& out) {
  Com<IWICStream> stream;
  Com<IWICBitmapDecoder> decoder;
  Com<IWICBitmapFrameDecode> frame;
  Com<IWICBitmapSource> bgra;
  UINT w = 0, h = 0;
  if (FAILED(wic->CreateStream(&stream.p)) ||
      FAILED(stream.p->InitializeFromMemory(const_cast<BYTE*>(data), static_cast<DWORD>(size))) ||
      FAILED(wic->CreateDecoderFromStream(stream.p, nullptr, WICDecodeMetadataCacheOnDemand,
                                          &decoder.p)) ||
      FAILED(decoder.p->GetFrame(0, &frame.p)) ||
      FAILED(WICConvertBitmapSource(GUID_WICPixelFormat32bppBGRA, frame.p, &bgra.p)) ||
      FAILED(bgra.p->GetSize(&w, &h)))
    return false;
  out.Width = static_cast<int>(w);
  out.Height = static_cast<int>(h);
  out.Bgra.resize(size_t{w} * h * 4);
  return SUCCEEDED(
      bgra.p->CopyPixels(nullptr, w * 4, static_cast<UINT>(out.Bgra.size()), out.Bgra.data()));
}

// A PNG as common encoders write it (filtered rows, dynamic Huffman codes),
// which the program's own pictures are not.
std::vector<BYTE> EncodeBySystem(IWICImagingFactory* wic, const std::vector<BYTE>& bgra, UINT w,
                                 UINT h) {
  Com<IStream> stream;
  Com<IWICBitmapEncoder> encoder;
  Com<IWICBitmapFrameEncode> frame;
  WICPixelFormatGUID format = GUID_WICPixelFormat32bppBGRA;
  HGLOBAL memory = nullptr;
  if (FAILED(CreateStreamOnHGlobal(nullptr, TRUE, &stream.p)) ||
      FAILED(wic->CreateEncoder(GUID_ContainerFormatPng, nullptr, &encoder.p)) ||
      FAILED(encoder.p->Initialize(stream.p, WICBitmapEncoderNoCache)) ||
      FAILED(encoder.p->CreateNewFrame(&frame.p, nullptr)) ||
      FAILED(frame.p->Initialize(nullptr)) ||
      FAILED(frame.p->SetSize(w, h)) || FAILED(frame.p->SetPixelFormat(&format)) ||
      FAILED(frame.p->WritePixels(h, w * 4, static_cast<UINT>(bgra.size()),
                                  const_cast<BYTE*>(bgra.data()))) ||
      FAILED(frame.p->Commit()) || FAILED(encoder.p->Commit()) ||
      FAILED(GetHGlobalFromStream(stream.p, &memory)))
    return {};
  STATSTG stat{};
  stream.p->Stat(&stat, STATFLAG_NONAME);
  const auto* bytes = static_cast<const BYTE*>(GlobalLock(memory));
  std::vector<BYTE> png(bytes, bytes + stat.cbSize.QuadPart);
  GlobalUnlock(memory);
  return png;
}

BOOL CALLBACK CollectName(HMODULE, LPCWSTR, LPWSTR name, LONG_PTR names) {
  if (!IS_INTRESOURCE(name)) reinterpret_cast<std::vector<std::wstring>*>(names)->push_back(name);
  return TRUE;
}

TEST(Win32Pictures, DecodedAsTheSystemCodecDecodesThem) {
  CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED);
  Com<IWICImagingFactory> wic;
  ASSERT_HRESULT_SUCCEEDED(CoCreateInstance(CLSID_WICImagingFactory, nullptr,
                                            CLSCTX_INPROC_SERVER, IID_IWICImagingFactory,
                                            reinterpret_cast<void**>(&wic.p)));
  std::vector<std::wstring> names;
  EnumResourceNamesW(nullptr, MAKEINTRESOURCEW(10) /*RT_RCDATA*/, CollectName,
                     reinterpret_cast<LONG_PTR>(&names));
  EXPECT_EQ(names.size(), 20u);  // each picture at 1x and 2x
  std::vector<std::pair<std::string, std::vector<BYTE>>> files;
  for (const auto& name : names) {
    HRSRC res = FindResourceW(nullptr, name.c_str(), MAKEINTRESOURCEW(10));
    const auto* data = static_cast<const BYTE*>(LockResource(LoadResource(nullptr, res)));
    files.emplace_back(std::string(name.begin(), name.end()),
                       std::vector<BYTE>(data, data + SizeofResource(nullptr, res)));
  }
  std::vector<BYTE> noise(97 * 41 * 4);
  for (size_t i = 0; i < noise.size(); ++i) noise[i] = static_cast<BYTE>(i * i / 7 + i % 13 * 17);
  files.emplace_back("noise", EncodeBySystem(wic.p, noise, 97, 41));

  for (const auto& [name, file] : files) {
    SCOPED_TRACE(name);
    DecodedPicture ours, theirs;
    ASSERT_TRUE(DecodeBySystem(wic.p, file.data(), file.size(), theirs));
    ASSERT_TRUE(DecodePicture(file.data(), file.size(), ours));
    EXPECT_EQ(ours.Width, theirs.Width);
    EXPECT_EQ(ours.Height, theirs.Height);
    EXPECT_TRUE(ours.Bgra == theirs.Bgra);
    // A file cut short is refused, not read past its end.
    EXPECT_FALSE(DecodePicture(file.data(), file.size() / 2, ours));
  }
}

TEST_F(Win32FrontEnd, MessageDialogFollowsItsDpi) {
  dialogs::TMessageDialogRequest r;
  r.Text = "Закрыть программу?";
  r.Kind = dialogs::mtShutdown;
  r.Buttons = dialogs::mbYesNo;
  struct Seen {
    int dpi;
    RECT client, yes;
    LONG fontHeight;
  };
  std::vector<Seen> seen;
  OnNextDialog([&](HWND d) {
    int from = SystemDpi();
    HWND yes = FindWindowExW(d, nullptr, L"BUTTON", L"Да");
    for (const int dpi : kDpis) {
      ChangeDpi(d, from, dpi);
      from = dpi;
      Seen x{dpi, {}, ChildRect(d, yes), 0};
      GetClientRect(d, &x.client);
      LOGFONTW lf{};
      GetObjectW(reinterpret_cast<HFONT>(SendMessageW(yes, WM_GETFONT, 0, 0)), sizeof(lf), &lf);
      x.fontHeight = lf.lfHeight;
      seen.push_back(x);
    }
    PostKey(d, VK_ESCAPE);
  });
  EXPECT_EQ(dialogs_.ShowMessageDialog(r), 7);
  ASSERT_EQ(seen.size(), std::size(kDpis));
  for (const Seen& x : seen) {
    SCOPED_TRACE(std::to_string(x.dpi) + " dpi");
    const auto l = MessageDialogLayout(r, Application.Title, x.dpi);
    EXPECT_EQ(x.client.right, l.ClientWidth);
    EXPECT_EQ(x.client.bottom, l.ClientHeight);
    const auto& b = l.Buttons[0].Bounds;
    EXPECT_EQ(Str(x.yes), Str({b.Left, b.Top, b.Left + b.Width, b.Top + b.Height}));
    HFONT font = CreateMessageFont(x.dpi);
    LOGFONTW lf{};
    GetObjectW(font, sizeof(lf), &lf);
    DeleteObject(font);
    EXPECT_EQ(x.fontHeight, lf.lfHeight);
  }

  // The layout holds together at every scale, for a text lower than the
  // icon and for one higher.
  dialogs::TMessageDialogRequest tall = r;
  tall.Text = "Первая строка\rвторая\rтретья\rчетвертая\rпятая";
  for (const auto* request : {&r, &tall})
    for (const int dpi : kDpis) {
      SCOPED_TRACE(std::to_string(dpi) + " dpi, " + request->Text);
      const auto l = MessageDialogLayout(*request, Application.Title, dpi);
      const auto& icon = l.IconBounds;
      const auto& text = l.TextBounds;
      EXPECT_EQ(icon.Width, ScaleTo(32, dpi));
      EXPECT_EQ(icon.Height, ScaleTo(32, dpi));
      EXPECT_GT(text.Left, icon.Left + icon.Width);
      EXPECT_GE(l.ClientWidth - icon.Left, text.Left + text.Width);
      const int block = std::max(text.Top + text.Height, icon.Top + icon.Height);
      const auto& first = l.Buttons.front().Bounds;
      const auto& last = l.Buttons.back().Bounds;
      EXPECT_GT(first.Top, block);
      EXPECT_EQ(l.ClientHeight - (first.Top + first.Height), icon.Top);
      EXPECT_NEAR(first.Left, l.ClientWidth - (last.Left + last.Width), 1);
    }
}

RECT g_taskDialog;
std::wstring g_taskTexts;

BOOL CALLBACK CollectText(HWND child, LPARAM) {
  g_taskTexts += Text(child) + L"|";
  return TRUE;
}

void CALLBACK FindTaskDialog(HWND, UINT, UINT_PTR id, DWORD) {
  // The built dialog instead would be a failure: it is closed, not waited on.
  HWND d = FindWindowW(L"#32770", L"Ошибка");
  if (!d) d = FindWindowW(L"SkdMessageDialog", nullptr);
  if (!d || !IsWindowVisible(d)) return;
  KillTimer(nullptr, id);
  SaveShot(d, "win32_task_dialog.bmp");
  GetWindowRect(d, &g_taskDialog);
  EnumChildWindows(d, CollectText, 0);
  PostMessageW(d, WM_CLOSE, 0, 0);
}

// Where Windows has no metrics per DPI (7, 8), the system's are scaled to
// the same fonts.
TEST_F(Win32FrontEnd, MessageFontsWithoutPerDpiMetrics) {
  for (const int dpi : kDpis) {
    const NONCLIENTMETRICSW newer = NonClientMetricsForDpi(dpi);
    Windows7Only apis(true);
    const NONCLIENTMETRICSW older = NonClientMetricsForDpi(dpi);
    EXPECT_NEAR(older.lfMessageFont.lfHeight, newer.lfMessageFont.lfHeight, 1) << dpi;
    EXPECT_NEAR(older.lfStatusFont.lfHeight, newer.lfStatusFont.lfHeight, 1) << dpi;
    EXPECT_EQ(std::wstring(older.lfMessageFont.lfFaceName), newer.lfMessageFont.lfFaceName);
  }
}

// The task dialog of the plain look: centred on the screen even when the
// main window is hidden elsewhere, a lone CR breaking its line.
TEST_F(Win32FrontEnd, TaskDialogCentredWithLineBreaks) {
  Application.StyleApplied = false;
  Win32Form hidden(MainLayout());
  SetWindowPos(hidden.Handle(), nullptr, 0, 0, 0, 0, SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
  dialogs_.MainWindow = hidden.Handle();
  g_taskDialog = {};
  g_taskTexts.clear();
  SetTimer(nullptr, 0, 50, FindTaskDialog);
  dialogs::TMessageDialogRequest r;
  r.Text = "Первая строка\rвторая строка";
  r.Kind = dialogs::mtError;
  EXPECT_EQ(dialogs_.ShowMessageDialog(r), 1);
  EXPECT_NE(g_taskTexts.find(L"Первая строка\r\nвторая строка"), std::wstring::npos);
  RECT work;
  SystemParametersInfoW(SPI_GETWORKAREA, 0, &work, 0);
  const RECT& d = g_taskDialog;
  EXPECT_NEAR((d.left + d.right) / 2, (work.left + work.right) / 2, 2);
  EXPECT_NEAR((d.top + d.bottom) / 2, (work.top + work.bottom) / 2, 2);
}

// Steps run one per timer tick while a form is shown modally.
std::vector<std::function<void()>> g_steps;
std::size_t g_step = 0;
void CALLBACK NextStep(HWND, UINT, UINT_PTR id, DWORD) {
  if (g_step >= g_steps.size()) return (void)KillTimer(nullptr, id);
  g_steps[g_step++]();
}
int RunSteps(Win32Form& form, std::vector<std::function<void()>> steps) {
  g_steps = std::move(steps);
  g_step = 0;
  SetTimer(nullptr, 0, 60, NextStep);
  return form.ShowModal();
}

// Each form with the keys alone: the same table the Qt front end is held to.
TEST_F(Win32FrontEnd, FormsByKeysAlone) {
  using namespace keyboard_forms;
  for (const TKeyForm& k : KeyForms()) {
    Win32Form form(k.Layout());
    SCOPED_TRACE(form.Layout().Name);
    form.OnClick = [&form](int id) { form.EndModal(kClicked + id); };
    const auto idOf = [&](HWND h) {
      for (const TControlRow& row : form.Layout().Controls)
        if (h && form.ControlHandle(row.Id) == h) return row.Id;
      return -1;
    };
    std::vector<int> chain;
    std::vector<std::function<void()>> steps;
    for (std::size_t i = 0; i <= k.TabChain.size(); ++i)
      steps.push_back([&] {
        chain.push_back(idOf(GetFocus()));
        PostMessageW(GetFocus(), WM_KEYDOWN, VK_TAB, 1);
      });
    steps.push_back([&] { form.EndModal(-2); });
    RunSteps(form, steps);
    std::vector<int> expected = k.TabChain;
    expected.push_back(k.TabChain.front());
    EXPECT_EQ(chain, expected);

    const auto press = [&](int control, WPARAM key) {
      return RunSteps(form, {[&form, control] { SetFocus(form.ControlHandle(control)); },
                             [key] { PostMessageW(GetFocus(), WM_KEYDOWN, key, 1); },
                             [] {}, [&form] { form.EndModal(kStaysOpen); }});
    };
    for (auto [button, result] : k.EnterOn) EXPECT_EQ(press(button, VK_RETURN), result) << button;

    // Down to the group's end and one more, then Up as far back: each key
    // checks the radio it moves to, and the ends stop it.
    if (!k.Down.empty()) {
      const std::size_t n = k.Down.size();
      std::vector<int> checked;
      steps.clear();
      for (std::size_t i = 0; i <= 2 * n + 2; ++i)
        steps.push_back([&, i] {
          if (i > 0) checked.push_back(form.CheckedRadio());
          if (i < 2 * n + 2) PostMessageW(GetFocus(), WM_KEYDOWN, i <= n ? VK_DOWN : VK_UP, 1);
          else form.EndModal(-2);
        });
      RunSteps(form, steps);
      expected = k.Down;
      expected.insert(expected.end(), k.Down.rbegin(), k.Down.rend());
      expected.insert(expected.end(), {k.TabChain.front(), k.TabChain.front()});
      EXPECT_EQ(checked, expected);
    }
    EXPECT_EQ(press(k.TabChain.front(), VK_ESCAPE), k.Escape);
  }
}

// A word wider than the dialog's text rectangle is broken inside it, and a
// long hint into lines of the tooltip's width; what fits stays as it is.
TEST_F(Win32FrontEnd, LongTextsStayOnTheScreen) {
  Win32DialogMetrics metrics(nullptr);
  const std::string fits = "Невозможно выполнить \"Программа\":\rфайл приложения не найден.";
  const auto before = metrics.WrappedTextSize(fits, 512);
  EXPECT_LT(before.cx, 512);
  const auto size = metrics.WrappedTextSize("Невозможно \"" + std::string(2047, 'W') + "\"", 512);
  EXPECT_LE(size.cx, 512);
  EXPECT_GT(size.cy, 20 * before.cy / 2);

  HDC dc = GetDC(nullptr);
  const std::wstring hint = L"Установить " + std::wstring(2047, L'x') + L" сейчас";
  const std::wstring wrapped = WrapLines(dc, hint, 400);
  std::wstring joined;
  int lines = 0;
  for (std::size_t at = 0; at <= wrapped.size(); ++lines) {
    const std::size_t end = std::min(wrapped.find(L"\r\n", at), wrapped.size());
    const std::wstring line = wrapped.substr(at, end - at);
    SIZE ext{};
    GetTextExtentPoint32W(dc, line.c_str(), static_cast<int>(line.size()), &ext);
    EXPECT_LE(ext.cx, 400) << lines;
    joined += line + L" ";
    at = end + 2;
  }
  EXPECT_GT(lines, 10);
  std::erase(joined, L' ');
  std::wstring bare = hint;
  std::erase(bare, L' ');
  EXPECT_EQ(joined, bare);
  EXPECT_EQ(WrapLines(dc, L"Выполнить установку", 400), L"Выполнить установку");
  ReleaseDC(nullptr, dc);
}

// What a screen reader hears, through MSAA as it asks: each row of the shared
// table by the object at its control's middle, and the close question's
// whole tree.
TEST_F(Win32FrontEnd, AccessibleAsTheTableSays) {
  using namespace all_layouts;
  constexpr long kRoles[] = {ROLE_SYSTEM_CLIENT,     ROLE_SYSTEM_DIALOG,      ROLE_SYSTEM_ALERT,
                             ROLE_SYSTEM_PUSHBUTTON, ROLE_SYSTEM_RADIOBUTTON, ROLE_SYSTEM_STATICTEXT,
                             ROLE_SYSTEM_STATUSBAR,  ROLE_SYSTEM_GRAPHIC,     ROLE_SYSTEM_TEXT,
                             ROLE_SYSTEM_PANE,       ROLE_SYSTEM_ANIMATION};
  for (const TAccessibleExpectation& row : kAccessibleTable) {
    Win32Form form(row.Layout());
    SCOPED_TRACE(std::string(form.Layout().Name) + " " + std::to_string(row.Control));
    IAccessible* acc = nullptr;
    ASSERT_HRESULT_SUCCEEDED(AccessibleObjectFromWindow(form.Handle(), OBJID_CLIENT,
                                                        IID_IAccessible, (void**)&acc));
    VARIANT child;
    VariantInit(&child);
    child.vt = VT_I4;
    child.lVal = CHILDID_SELF;
    if (row.Control >= 0) {
      RECT r = form.ControlRect(row.Control);
      MapWindowPoints(form.Handle(), nullptr, reinterpret_cast<POINT*>(&r), 2);
      ASSERT_HRESULT_SUCCEEDED(
          acc->accHitTest((r.left + r.right) / 2, (r.top + r.bottom) / 2, &child));
      if (child.vt == VT_DISPATCH) {  // a control's own window
        IAccessible* own = nullptr;
        ASSERT_HRESULT_SUCCEEDED(child.pdispVal->QueryInterface(IID_IAccessible, (void**)&own));
        VariantClear(&child);
        acc->Release();
        acc = own;
        child.vt = VT_I4;
        child.lVal = CHILDID_SELF;
      }
    }
    std::vector<msaa::Node> node;
    msaa::Walk(acc, child, 0, 0, node);
    acc->Release();
    EXPECT_EQ(node[0].Role, kRoles[static_cast<int>(row.Role)]);
    EXPECT_EQ(node[0].Name, W(row.Name));
  }

  dialogs::TMessageDialogRequest r;
  r.Text = "Закрыть программу?";
  r.Kind = dialogs::mtShutdown;
  r.Buttons = dialogs::mbYesNo;
  std::wstring tree;
  OnNextDialog([&](HWND d) {
    tree = msaa::Text(msaa::Tree(d, OBJID_CLIENT));
    PostKey(d, VK_ESCAPE);
  });
  dialogs_.ShowMessageDialog(r);
  const auto role = [](long id) {
    wchar_t text[64] = {};
    GetRoleTextW(static_cast<DWORD>(id), text, 64);
    return std::wstring(text);
  };
  EXPECT_EQ(tree, role(ROLE_SYSTEM_ALERT) + L" «Завершение работы»\n  " +
                      role(ROLE_SYSTEM_GRAPHIC) + L" «Вопрос»\n  " + role(ROLE_SYSTEM_STATICTEXT) +
                      L" «Закрыть программу?»\n  " + role(ROLE_SYSTEM_PUSHBUTTON) + L" «Да»\n  " +
                      role(ROLE_SYSTEM_PUSHBUTTON) + L" «Нет»\n");
}

// The Dynamic Annotation service, as far as the live setting goes: Wine's
// takes no property.
class AnnotationStandIn final : public IAccPropServices {
 public:
  struct Prop {
    HWND Window;
    DWORD Object, Child;
    GUID Id;
    long Value;  // -1: cleared
  };
  std::vector<Prop> Props;

  HRESULT STDMETHODCALLTYPE SetHwndProp(HWND h, DWORD o, DWORD c, MSAAPROPID id,
                                        VARIANT v) override {
    Props.push_back({h, o, c, id, v.vt == VT_I4 ? v.lVal : -2});
    return S_OK;
  }
  HRESULT STDMETHODCALLTYPE ClearHwndProps(HWND h, DWORD o, DWORD c, const MSAAPROPID* ids,
                                           int n) override {
    for (int i = 0; i < n; ++i) Props.push_back({h, o, c, ids[i], -1});
    return S_OK;
  }
  HRESULT STDMETHODCALLTYPE QueryInterface(REFIID, void**) override { return E_NOINTERFACE; }
  ULONG STDMETHODCALLTYPE AddRef() override { return 1; }
  ULONG STDMETHODCALLTYPE Release() override { return 1; }
  // clang-format off
#define UNUSED(name, ...) HRESULT STDMETHODCALLTYPE name(__VA_ARGS__) override { return E_NOTIMPL; }
  UNUSED(SetPropValue, const BYTE*, DWORD, MSAAPROPID, VARIANT)
  UNUSED(SetPropServer, const BYTE*, DWORD, const MSAAPROPID*, int, IAccPropServer*, AnnoScope)
  UNUSED(ClearProps, const BYTE*, DWORD, const MSAAPROPID*, int)
  UNUSED(SetHwndPropStr, HWND, DWORD, DWORD, MSAAPROPID, LPCWSTR)
  UNUSED(SetHwndPropServer, HWND, DWORD, DWORD, const MSAAPROPID*, int, IAccPropServer*, AnnoScope)
  UNUSED(ComposeHwndIdentityString, HWND, DWORD, DWORD, BYTE**, DWORD*)
  UNUSED(DecomposeHwndIdentityString, const BYTE*, DWORD, HWND*, DWORD*, DWORD*)
  UNUSED(SetHmenuProp, HMENU, DWORD, MSAAPROPID, VARIANT)
  UNUSED(SetHmenuPropStr, HMENU, DWORD, MSAAPROPID, LPCWSTR)
  UNUSED(SetHmenuPropServer, HMENU, DWORD, const MSAAPROPID*, int, IAccPropServer*, AnnoScope)
  UNUSED(ClearHmenuProps, HMENU, DWORD, const MSAAPROPID*, int)
  UNUSED(ComposeHmenuIdentityString, HMENU, DWORD, BYTE**, DWORD*)
  UNUSED(DecomposeHmenuIdentityString, const BYTE*, DWORD, HMENU*, DWORD*)
#undef UNUSED
  // clang-format on
};

std::vector<std::pair<DWORD, LONG>> g_events;  // event, child

void CALLBACK RecordEvent(HWINEVENTHOOK, DWORD event, HWND, LONG, LONG child, DWORD, DWORD) {
  g_events.push_back({event, child});
}

// One installation of eight ticks, as a screen reader meets it: the status
// line is a polite live region and tells its change once as the installer
// starts and once as it ends, not at every tick of its monitor between.
TEST_F(Win32FrontEnd, InstallationToldOncePerChange) {
  constexpr DWORD kLiveRegionChanged = 0x8019;
  constexpr GUID kLiveSetting = {
      0xc12bcd8e, 0x2a8e, 0x4950, {0x8a, 0xe7, 0x36, 0x25, 0x11, 0x1d, 0x58, 0xeb}};
  struct : ILauncher {
    int ticks = 8;
    bool StartProcess(const std::string&, platform::TProcessInformation&, std::int32_t&) override {
      return true;
    }
    bool GetExitCode(platform::TProcessInformation&, std::uint32_t& code) override {
      code = ticks-- > 0 ? platform::kStillActive : 0;
      return true;
    }
    std::intptr_t ShellOpen(const std::string&) override { return 0; }
  } installer;
  struct : ITimer {
    bool on = false;
    void SetEnabled(bool enabled) override { on = enabled; }
    bool Enabled() const override { return on; }
    void SetInterval(int) override {}
    int Interval() const override { return 1000; }
  } timer;
  AnnotationStandIn annotations;
  UseAnnotationService(&annotations);
  WriteIni("[PRG]\nName=Программа СКУД\nLocation=s.exe\n");
  LONG status = 0;
  {
    Win32MainWindow window(dialogs_);
    Win32MessagePump pump;
    TSKDSetupForm form({window, timer, pump, dialogs_, installer});
    form.FormCreate();
    // A screen reader asks for the window's object first.
    IAccessible* acc = nullptr;
    ASSERT_HRESULT_SUCCEEDED(
        AccessibleObjectFromWindow(window.Handle(), OBJID_CLIENT, IID_IAccessible, (void**)&acc));
    RECT r = window.ControlRect(StatusLabel);
    MapWindowPoints(window.Handle(), nullptr, reinterpret_cast<POINT*>(&r), 2);
    VARIANT child;
    ASSERT_HRESULT_SUCCEEDED(
        acc->accHitTest((r.left + r.right) / 2, (r.top + r.bottom) / 2, &child));
    acc->Release();
    status = child.lVal;
    ASSERT_EQ(annotations.Props.size(), 1u);
    EXPECT_EQ(annotations.Props[0].Child, static_cast<DWORD>(status));
    EXPECT_TRUE(IsEqualGUID(annotations.Props[0].Id, kLiveSetting));
    EXPECT_EQ(annotations.Props[0].Value, 1);  // polite

    g_events.clear();
    HWINEVENTHOOK hook =
        SetWinEventHook(EVENT_OBJECT_NAMECHANGE, kLiveRegionChanged, nullptr, RecordEvent,
                        GetCurrentProcessId(), 0, WINEVENT_OUTOFCONTEXT);
    form.SoftSetupRXSBClick();
    for (int tick = 0; timer.on && tick < 20; ++tick) form.Timer1Timer();
    // Then a mark: every event before it has come once it comes.
    NotifyWinEvent(EVENT_OBJECT_HELPCHANGE, window.Handle(), OBJID_CLIENT, CHILDID_SELF);
    const DWORD deadline = GetTickCount() + 30000;
    while ((g_events.empty() || g_events.back().first != EVENT_OBJECT_HELPCHANGE) &&
           GetTickCount() < deadline) {
      MSG m;
      while (PeekMessageW(&m, nullptr, 0, 0, PM_REMOVE)) DispatchMessageW(&m);
      Sleep(10);
    }
    UnhookWinEvent(hook);
  }
  UseAnnotationService(nullptr);
  EXPECT_EQ(installer.ticks, -1);
  std::erase_if(g_events, [](const auto& e) {
    return e.first != EVENT_OBJECT_NAMECHANGE && e.first != kLiveRegionChanged;
  });
  // "Идет установка ..." at the first tick, the idle text after the last.
  const std::vector<std::pair<DWORD, LONG>> expected = {
      {EVENT_OBJECT_NAMECHANGE, status}, {kLiveRegionChanged, status},
      {EVENT_OBJECT_NAMECHANGE, status}, {kLiveRegionChanged, status}};
  EXPECT_EQ(g_events, expected);
  // The annotation goes with the window.
  ASSERT_EQ(annotations.Props.size(), 2u);
  EXPECT_EQ(annotations.Props[1].Child, static_cast<DWORD>(status));
  EXPECT_EQ(annotations.Props[1].Value, -1);
}

}  // namespace
