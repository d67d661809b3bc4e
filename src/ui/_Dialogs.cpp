#include "ui/_Dialogs.h"

#include <algorithm>
#include <cstdlib>

#include "help/Help.h"
#include "ui/_Consts.h"

namespace dialogs {

namespace {

struct ButtonInfo {
  const char* caption;
  int result;
};

constexpr ButtonInfo kButtons[kButtonCount] = {
    {consts::SMsgDlgYes, mrYes},         {consts::SMsgDlgNo, mrNo},
    {consts::SMsgDlgOK, mrOk},           {consts::SMsgDlgCancel, mrCancel},
    {consts::SMsgDlgAbort, mrAbort},     {consts::SMsgDlgRetry, mrRetry},
    {consts::SMsgDlgIgnore, mrIgnore},   {consts::SMsgDlgAll, mrAll},
    {consts::SMsgDlgNoToAll, mrNoToAll}, {consts::SMsgDlgYesToAll, mrYesToAll},
    {consts::SMsgDlgHelp, mrNone},       {consts::SMsgDlgClose, mrClose},
};

// Dialog units, as the classic message box lays itself out.
constexpr int kHorzMargin = 8, kVertMargin = 8, kHorzSpacing = 10, kVertSpacing = 10;
constexpr int kButtonWidth = 50, kButtonHeight = 14, kButtonSpacing = 4;
constexpr int kIconSize = 32;

int IndexOf(const TMessageDialogLayout& layout, TMsgDlgBtn b) {
  for (size_t i = 0; i < layout.Buttons.size(); ++i)
    if (layout.Buttons[i].Button == b) return static_cast<int>(i);
  return -1;
}

}  // namespace

const char* ButtonCaption(TMsgDlgBtn b) { return kButtons[b].caption; }

int ButtonResult(TMsgDlgBtn b) { return kButtons[b].result; }

std::string KindCaption(TMsgDlgType kind, const std::string& appTitle) {
  switch (kind) {
    case mtWarning: return consts::SMsgDlgWarning;
    case mtError: return consts::SMsgDlgError;
    case mtInformation: return consts::SMsgDlgInformation;
    case mtConfirmation: return consts::SMsgDlgConfirm;
    case mtShutdown: return consts::SMsgDlgShutdown;
    default: return appTitle;
  }
}

TDialogIcon KindIcon(TMsgDlgType kind) {
  switch (kind) {
    case mtWarning: return TDialogIcon::Warning;
    case mtError: return TDialogIcon::Error;
    case mtInformation: return TDialogIcon::Information;
    case mtConfirmation:
    case mtShutdown: return TDialogIcon::Question;
    default: return TDialogIcon::None;
  }
}

int MulDiv(int number, int numerator, int denominator) {
  if (denominator == 0) return -1;
  const long long product = static_cast<long long>(number) * numerator;
  long long half = std::llabs(static_cast<long long>(denominator)) / 2;
  const bool negative = (product < 0) != (denominator < 0);
  long long q = (std::llabs(product) + half) / std::llabs(static_cast<long long>(denominator));
  return static_cast<int>(negative ? -q : q);
}

TMessageDialogLayout BuildMessageDialog(const TMessageDialogRequest& request,
                                        IDialogMetrics& metrics, const std::string& appTitle) {
  TMessageDialogLayout d;
  d.Caption = KindCaption(request.Kind, appTitle);
  d.Text = request.Text;
  d.Icon = KindIcon(request.Kind);
  d.HelpContext = request.HelpContext;
  d.X = request.X;
  d.Y = request.Y;

  const TSize units = metrics.AverageCharSize();
  const int horzMargin = MulDiv(kHorzMargin, units.cx, 4);
  const int vertMargin = MulDiv(kVertMargin, units.cy, 8);
  const int horzSpacing = MulDiv(kHorzSpacing, units.cx, 4);
  const int vertSpacing = MulDiv(kVertSpacing, units.cy, 8);
  int buttonWidth = MulDiv(kButtonWidth, units.cx, 4);
  const int buttonHeight = MulDiv(kButtonHeight, units.cy, 8);
  const int buttonSpacing = MulDiv(kButtonSpacing, units.cx, 4);

  for (int b = 0; b < kButtonCount; ++b) {
    if (!(request.Buttons & Bit(static_cast<TMsgDlgBtn>(b)))) continue;
    const auto btn = static_cast<TMsgDlgBtn>(b);
    buttonWidth = std::max(buttonWidth, metrics.TextWidth(ButtonCaption(btn)) + 8);
    d.Buttons.push_back({btn, ButtonCaption(btn), ButtonResult(btn), {}});
  }

  // The text is wrapped in half the screen's width; a word wider than that
  // is broken inside by the front ends, so the dialog never grows past it.
  // Nor past the screen's height: the rest of a text that long is cut off
  // (Ctrl+C still copies all of it), so that the buttons stay reachable.
  const TSize screen = metrics.ScreenSize();
  TSize text = metrics.WrappedTextSize(request.Text, screen.cx / 2);
  text.cx = std::min(text.cx, screen.cx / 2);
  const int frameReserve = 4 * units.cy;  // caption bar and borders, generously
  text.cy = std::max(0, std::min(text.cy, screen.cy - frameReserve - buttonHeight - vertSpacing -
                                              vertMargin * 2));
  int iconTextWidth = text.cx;
  int iconTextHeight = text.cy;
  if (d.Icon != TDialogIcon::None) {
    iconTextWidth += kIconSize + horzSpacing;
    iconTextHeight = std::max(iconTextHeight, kIconSize);
    d.IconBounds = {horzMargin, vertMargin, kIconSize, kIconSize};
  }

  const int count = static_cast<int>(d.Buttons.size());
  const int groupWidth = count ? buttonWidth * count + buttonSpacing * (count - 1) : 0;
  d.ClientWidth = std::max(iconTextWidth, groupWidth) + horzMargin * 2;
  d.ClientHeight = iconTextHeight + buttonHeight + vertSpacing + vertMargin * 2;
  d.TextBounds = {iconTextWidth - text.cx + horzMargin, vertMargin, text.cx, text.cy};

  int x = (d.ClientWidth - groupWidth) / 2;
  for (auto& b : d.Buttons) {
    b.Bounds = {x, iconTextHeight + vertMargin + vertSpacing, buttonWidth, buttonHeight};
    x += buttonWidth + buttonSpacing;
  }

  const TMsgDlgBtn def = (request.Buttons & Bit(mbOK)) ? mbOK
                         : (request.Buttons & Bit(mbYes)) ? mbYes
                                                          : mbRetry;
  const TMsgDlgBtn cancel = (request.Buttons & Bit(mbCancel)) ? mbCancel
                            : (request.Buttons & Bit(mbNo))   ? mbNo
                                                              : mbOK;
  d.DefaultIndex = IndexOf(d, def);
  d.CancelIndex = IndexOf(d, cancel);
  return d;
}

TPoint PlaceDialog(int x, int y, TSize frame, TRect screen, TRect mainWindow) {
  if (x == -2 && y == -2)
    return {mainWindow.Left + (mainWindow.Width - frame.cx) / 2,
            mainWindow.Top + (mainWindow.Height - frame.cy) / 2};
  TPoint p{x, y};
  if (x == -1) p.X = screen.Left + screen.Width / 2 - frame.cx / 2;
  if (y == -1) p.Y = screen.Top + screen.Height / 2 - frame.cy / 2;
  return p;
}

std::string DialogDump(const TMessageDialogLayout& layout) {
  const std::string line = std::string(27, '-') + "\r\n";
  std::string buttons;
  for (const auto& b : layout.Buttons) {
    for (char c : b.Caption)
      if (c != '&') buttons += c;
    buttons += "   ";
  }
  return line + layout.Caption + "\r\n" + line + layout.Text + "\r\n" + line + buttons + "\r\n" +
         line;
}

TDialogAction DialogButtonClick(const TMessageDialogLayout& layout, int index) {
  if (index < 0 || index >= static_cast<int>(layout.Buttons.size())) return {};
  if (layout.Buttons[index].Button == mbHelp) return {TDialogAction::ShowHelp, mrNone, {}};
  return {TDialogAction::Close, layout.Buttons[index].Result, {}};
}

TDialogAction DialogKey(const TMessageDialogLayout& layout, TDialogKey key, int focused) {
  switch (key) {
    case TDialogKey::Enter:
      return DialogButtonClick(layout, focused >= 0 ? focused : layout.DefaultIndex);
    case TDialogKey::Escape:
      return DialogButtonClick(layout, layout.CancelIndex);
    case TDialogKey::CtrlC:
      return {TDialogAction::CopyToClipboard, mrNone, DialogDump(layout)};
  }
  return {};
}

void PerformDialogAction(const TDialogAction& action, const TMessageDialogLayout& layout,
                         IDialogHost& host) {
  switch (action.What) {
    case TDialogAction::Close:
      host.Close(action.Result);
      break;
    case TDialogAction::ShowHelp:
      help::ShowHelpTopic(layout.HelpContext);
      break;
    case TDialogAction::CopyToClipboard:
      host.Beep();
      host.CopyToClipboard(action.ClipboardText);
      break;
    case TDialogAction::None:
      break;
  }
}

void FitDialogIcon(TMessageDialogLayout& d, int iconSize) {
  if (d.Icon == TDialogIcon::None || d.Buttons.empty() || iconSize == d.IconBounds.Width) return;
  const int horzMargin = d.IconBounds.Left;
  const int oldBlock = std::max(d.TextBounds.Height, d.IconBounds.Height);
  const int newBlock = std::max(d.TextBounds.Height, iconSize);
  d.TextBounds.Left += iconSize - d.IconBounds.Width;
  d.IconBounds.Width = d.IconBounds.Height = iconSize;
  const int groupWidth =
      d.Buttons.back().Bounds.Left + d.Buttons.back().Bounds.Width - d.Buttons.front().Bounds.Left;
  d.ClientWidth =
      std::max(d.TextBounds.Left - horzMargin + d.TextBounds.Width, groupWidth) + 2 * horzMargin;
  d.ClientHeight += newBlock - oldBlock;
  const int shift = (d.ClientWidth - groupWidth) / 2 - d.Buttons.front().Bounds.Left;
  for (auto& b : d.Buttons) {
    b.Bounds.Left += shift;
    b.Bounds.Top += newBlock - oldBlock;
  }
}

int DialogCloseResult(const TMessageDialogLayout&) {
  // The frame's close box cancels, whatever the buttons.
  return mrCancel;
}

int MessageDlg(IDialogs& dialogs, const std::string& text, TMsgDlgType kind,
               TMsgDlgButtons buttons) {
  TMessageDialogRequest r;
  r.Text = text;
  r.Kind = kind;
  r.Buttons = buttons;
  return dialogs.ShowMessageDialog(r);
}

}  // namespace dialogs
