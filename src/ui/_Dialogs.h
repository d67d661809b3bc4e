#pragma once
// Unit _Dialogs: the program's own message dialog. This is its toolkit-free
// half: kinds, buttons, results, the layout in dialog units, the default and
// cancel buttons, placement and the Ctrl+C dump. Front ends draw the result.

#include <cstdint>
#include <functional>
#include <optional>
#include <string>
#include <vector>

namespace ui {
struct TFormLayout;
}

namespace dialogs {

enum TMsgDlgType : std::uint8_t {
  mtWarning = 0,
  mtError = 1,
  mtInformation = 2,
  mtConfirmation = 3,
  mtShutdown = 4,
  mtCustom = 5,
};

enum TMsgDlgBtn : std::uint8_t {
  mbYes = 0, mbNo, mbOK, mbCancel, mbAbort, mbRetry, mbIgnore,
  mbAll, mbNoToAll, mbYesToAll, mbHelp, mbClose,
};
inline constexpr int kButtonCount = 12;

using TMsgDlgButtons = std::uint16_t;
constexpr TMsgDlgButtons Bit(TMsgDlgBtn b) { return static_cast<TMsgDlgButtons>(1u << b); }
inline constexpr TMsgDlgButtons mbOKOnly = Bit(mbOK);                 // 4
inline constexpr TMsgDlgButtons mbYesNo = Bit(mbYes) | Bit(mbNo);     // 3

enum TModalResult : int {
  mrNone = 0, mrOk = 1, mrCancel = 2, mrAbort = 3, mrRetry = 4, mrIgnore = 5,
  mrYes = 6, mrNo = 7, mrClose = 8, mrAll = 12, mrNoToAll = 13, mrYesToAll = 14,
};

enum class TDialogIcon { None, Warning, Error, Information, Question };

const char* ButtonCaption(TMsgDlgBtn b);
int ButtonResult(TMsgDlgBtn b);
// Caption of a dialog kind; kind 5 (and anything unknown) takes `appTitle`.
std::string KindCaption(TMsgDlgType kind, const std::string& appTitle);
TDialogIcon KindIcon(TMsgDlgType kind);

struct TMessageDialogRequest {
  std::string Text;
  TMsgDlgType Kind = mtInformation;
  TMsgDlgButtons Buttons = mbOKOnly;
  std::int32_t HelpContext = 0;
  int X = -1;
  int Y = -1;
  std::string HelpFile;
};

struct TSize {
  int cx = 0;
  int cy = 0;
  bool operator==(const TSize&) const = default;
};
struct TRect {
  int Left = 0, Top = 0, Width = 0, Height = 0;
  bool operator==(const TRect&) const = default;
};

// What the layout needs to know of the dialog font and the screen.
class IDialogMetrics {
 public:
  virtual ~IDialogMetrics() = default;
  // Average character width and height of the dialog font.
  virtual TSize AverageCharSize() = 0;
  // Width of one line of text, unwrapped.
  virtual int TextWidth(const std::string& line) = 0;
  // Size of `text` word-wrapped in `maxWidth`, "\r" breaking lines.
  virtual TSize WrappedTextSize(const std::string& text, int maxWidth) = 0;
  virtual TSize ScreenSize() = 0;
};

struct TDialogButton {
  TMsgDlgBtn Button;
  std::string Caption;
  int Result;
  TRect Bounds;
};

struct TMessageDialogLayout {
  std::string Caption;
  std::string Text;
  TDialogIcon Icon = TDialogIcon::None;
  TRect IconBounds;
  TRect TextBounds;
  std::vector<TDialogButton> Buttons;
  int DefaultIndex = -1;  // focused, answers Enter
  int CancelIndex = -1;   // answers Esc
  int ClientWidth = 0;
  int ClientHeight = 0;
  std::int32_t HelpContext = 0;
  int X = -1;
  int Y = -1;
};

// The average character of a font: the width of these 52 letters over 52.
inline constexpr char kAverageCharSample[] =
    "ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz";
constexpr int AverageCharWidth(int sampleWidth) { return sampleWidth / 52; }
// A text is word-wrapped; when a word alone is wider than the width (the
// word-wrapped text measures wider), it is broken anywhere instead, so that
// it never runs past the width.
constexpr bool BreakAnywhere(int wordWrappedWidth, int width) { return wordWrappedWidth > width; }

// Rounds like Windows' MulDiv: to nearest, halves away from zero.
int MulDiv(int number, int numerator, int denominator);

TMessageDialogLayout BuildMessageDialog(const TMessageDialogRequest& request,
                                        IDialogMetrics& metrics, const std::string& appTitle);
// Makes room in a layout built around a 32-pixel icon for one of `iconSize`.
void FitDialogIcon(TMessageDialogLayout& layout, int iconSize);

// Top-left of a dialog of `frame` size: -1 centres that axis on the screen,
// -2 for both centres on the main window, anything else is used as given.
struct TPoint {
  int X = 0, Y = 0;
  bool operator==(const TPoint&) const = default;
};
TPoint PlaceDialog(int x, int y, TSize frame, TRect screen, TRect mainWindow);

// The Ctrl+C text: caption, message and buttons between lines of dashes.
std::string DialogDump(const TMessageDialogLayout& layout);

// What a key or click in the dialog does.
struct TDialogAction {
  enum Kind { None, Close, ShowHelp, CopyToClipboard } What = None;
  int Result = mrNone;
  std::string ClipboardText;
};
enum class TDialogKey { Enter, Escape, CtrlC };
// `focused` is the index of the focused button, or -1.
TDialogAction DialogKey(const TMessageDialogLayout& layout, TDialogKey key, int focused);
TDialogAction DialogButtonClick(const TMessageDialogLayout& layout, int index);
// The frame's close box.
int DialogCloseResult(const TMessageDialogLayout& layout);

// What a front end does for the dialog's actions.
class IDialogHost {
 public:
  virtual ~IDialogHost() = default;
  virtual void Close(int result) = 0;
  virtual void Beep() = 0;
  virtual void CopyToClipboard(const std::string& text) = 0;
};
// Carries out an action: help is shown here, the rest by the host.
void PerformDialogAction(const TDialogAction& action, const TMessageDialogLayout& layout,
                         IDialogHost& host);

// A form of its own shown modally: its layout, texts put in before it shows,
// and the handler of its buttons that carry no modal result.
struct TModalFormRequest {
  const ui::TFormLayout* Layout = nullptr;
  std::vector<std::pair<int, std::string>> Texts;
  std::function<void(int control)> OnClick;
  // F1 in the window, with the window's help context; none: F1 does nothing.
  std::function<void(std::int32_t helpContext)> OnHelp;
};
struct TModalFormResult {
  bool Created = false;  // false: the window could not be made
  int ModalResult = 0;   // mrNone when closed by other means than a result
  int CheckedRadio = -1; // id of the radio button checked at the end, or -1
};

// How forms show the dialog; the front end implements it.
class IDialogs {
 public:
  virtual ~IDialogs() = default;
  virtual int ShowMessageDialog(const TMessageDialogRequest& request) = 0;
  // The no-rights window, modally; false when it could not be created. A
  // form of its own like the others, so by default through RunModalForm.
  virtual bool RunAbout740Form();
  virtual TModalFormResult RunModalForm(const TModalFormRequest& request) = 0;
  // The toolkit's own untranslated message box with one button.
  virtual void ShowToolkitError(const std::string& title, const std::string& text,
                                const std::string& button) = 0;
  // The application's general error box: the platform's message box with
  // the error icon and OK, owned by the active window.
  virtual void ShowErrorBox(const std::string& caption, const std::string& text) = 0;
};

// The program's usual call: help context 0, centred, no help file.
int MessageDlg(IDialogs& dialogs, const std::string& text, TMsgDlgType kind,
               TMsgDlgButtons buttons);

}  // namespace dialogs
