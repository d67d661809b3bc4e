#pragma once
// What each window tells assistive technology: every control's role, name
// and description, and which texts announce their changes. Both front ends
// read it from here, so a screen reader hears the same on each.

#include <cstdint>
#include <functional>
#include <string>
#include <vector>

#include "ui/Layout.h"
#include "ui/_Dialogs.h"

namespace ui {

enum class TAccRole : std::uint8_t {
  Frame,        // the main window
  Dialog,       // a form of the program's own
  Alert,        // a message dialog
  PushButton,
  RadioButton,
  Label,
  StatusLine,   // a label whose changes are announced
  Picture,
  Text,         // read-only text box
  Panel,
  Animation,
};
const char* RoleName(TAccRole role);

struct TAccessible {
  TAccRole Role = TAccRole::Label;
  std::string Name{};
  std::string Description{};
  bool Live = false;     // a change of its text is announced
  bool Hidden = false;   // ornament: not exposed at all
  bool operator==(const TAccessible&) const = default;
};

// A control's current text and hint, as the window shows them now
// (setup.ini and the program change them after the layout is made).
using TCurrentText = std::function<std::string(int control)>;

TAccessible WindowAccessible(const TFormLayout& layout, const std::string& caption);
// `text` and `hint` default to the layout's own.
TAccessible ControlAccessible(const TFormLayout& layout, const TControlRow& row,
                              const TCurrentText& text = nullptr,
                              const TCurrentText& hint = nullptr);

// The message dialog: the window is named by its caption, the text is a
// label (a screen reader reads an alert's labels with it; told again as the
// window's description, it would be read twice), the icon a picture named by
// the kind of message.
enum class TDialogPart : std::uint8_t { Window, Icon, Text, Button };
TAccessible DialogAccessible(const dialogs::TMessageDialogLayout& layout, TDialogPart part,
                             int button = -1);

// What a window tells when its controls' texts change, `before` and `after`
// being what it exposes, in one order: each control whose name or description
// changed, and whether its new text is to be read out. Only a change is told,
// so a text set again to what it was (the status line at every tick of the
// installer's monitor) tells nothing; a live control's new name is announced,
// unless it is empty.
struct TAccChange {
  std::size_t Index = 0;
  bool Name = false;
  bool Description = false;
  bool Announce = false;
  bool operator==(const TAccChange&) const = default;
};
std::vector<TAccChange> AccessibleChanges(const std::vector<TAccessible>& before,
                                          const std::vector<TAccessible>& after);

// A text as it is read: line breaks and runs of blanks made one blank. A
// button's caption (`mnemonic`) also loses its mnemonic's '&' ("&&" reads as
// one '&'); labels, hints and messages show an '&' as it is.
std::string SpokenText(const std::string& text, bool mnemonic = false);

}  // namespace ui
