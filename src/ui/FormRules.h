#pragma once
// What every window drawn from a layout does alike on each front end: the
// keyboard's turns, what keys, clicks and the close box decide, each row's
// font and place, where the window goes and how its texts break lines. The
// front ends turn these decisions into their toolkit's calls.

#include <algorithm>
#include <cstdint>
#include <functional>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "ui/Layout.h"
#include "ui/_Dialogs.h"

namespace ui {

// Push buttons, radio buttons and text boxes take the keyboard focus; the
// flat buttons, labels, pictures, panels and animations never do.
bool TakesFocus(ControlKind kind);

// The ids Tab visits, in turn: by the rows' numbers, a control in a panel at
// its panel's turn, then by its own number.
std::vector<int> TabChain(const TFormLayout& layout);
// The control that has the focus when the window opens: the first of the
// chain; -1 when nothing takes the focus.
int FirstFocus(const TFormLayout& layout);
// Where an arrow key moves from a radio button: the next (`step` 1) or the
// previous (-1) radio button of its group (those of one panel, in their
// turns of the tab chain, whatever else lies between); -1 past either end
// or from anything else.
int RadioStep(const TFormLayout& layout, int radio, int step);

// What a key, a click or the close box asks of a window.
struct TFormAction {
  enum Kind { None, Close, Click, Help } What = None;
  int Value = 0;  // Close: the modal result; Click: the control; Help: the help context
  bool operator==(const TFormAction&) const = default;
};
// A click on a control: a row with a modal result closes the window with
// it; other push buttons and the flat buttons report their click.
TFormAction FormClick(const TFormLayout& layout, int control);
// Esc in a modal window: the first cancel row's result; nothing without one.
TFormAction FormEscape(const TFormLayout& layout);
// F1 in a modal window: help on the window's context.
TFormAction FormHelp(const TFormLayout& layout);
// The close box of a modal window cancels, as the message dialog's does.
TFormAction FormCloseBox(const TFormLayout& layout);

// Carries out an action: Close through `endModal`, Click and Help through
// the form's handlers, when it has them.
void PerformFormAction(const TFormAction& action, const std::function<void(int)>& endModal,
                       const std::function<void(int control)>& onClick,
                       const std::function<void(std::int32_t helpContext)>& onHelp);

// A row's font: its own, else the form's.
const TFontSpec& RowFont(const TFormLayout& layout, const TControlRow& row);

struct TBounds {
  int Left = 0, Top = 0, Right = 0, Bottom = 0;
  bool operator==(const TBounds&) const = default;
};
// Where a row lies in the window's client area: panels carry their controls
// along. `scale` turns layout pixels into the window's, one place at a time,
// and `top` gives a row's top as the window has moved it.
using TScale = std::function<int(int)>;
using TRowTop = std::function<int(const TControlRow&)>;
TBounds ClientBounds(const TFormLayout& layout, const TControlRow& row,
                     const TScale& scale = nullptr, const TRowTop& top = nullptr);

// Where a window of `frame` size goes when it is first shown: centred on the
// screen when its layout says so, else nowhere in particular.
std::optional<dialogs::TPoint> FirstPlace(const TFormLayout& layout, dialogs::TSize frame,
                                          dialogs::TRect screen);

// `text` with each line break (CR LF, a lone CR or a lone LF) written as
// `newline`: the toolkits are sure of one kind each.
std::string WithLineBreaks(const std::string& text, std::string_view newline);

// `text` (its breaks already the toolkit's `newline`) with a break wherever a
// line would pass `width`: after the last blank that fits, or inside a word
// that alone is wider; the blanks at a break go. `fit` tells how many leading
// characters of a line fit in `width`.
template <typename Ch>
std::basic_string<Ch> WrapLines(
    const std::basic_string<Ch>& text, int width,
    const std::function<std::size_t(std::basic_string_view<Ch>, int)>& fit,
    std::basic_string_view<Ch> newline) {
  using View = std::basic_string_view<Ch>;
  std::basic_string<Ch> out;
  View rest(text);
  for (;;) {
    const std::size_t end = std::min(rest.find(newline), rest.size());
    View line = rest.substr(0, end);
    while (!line.empty()) {
      const std::size_t fits = fit(line, width);
      if (fits >= line.size()) {
        out += line;
        break;
      }
      std::size_t cut = std::max<std::size_t>(1, fits);
      const std::size_t blank = line.substr(0, cut + 1).find_last_of(Ch(' '));
      if (blank != View::npos && blank > 0) cut = blank;
      out += line.substr(0, cut);
      out += newline;
      line.remove_prefix(cut);
      while (!line.empty() && line.front() == Ch(' ')) line.remove_prefix(1);
    }
    if (end == rest.size()) return out;
    out += newline;
    rest.remove_prefix(end + newline.size());
  }
}

}  // namespace ui
