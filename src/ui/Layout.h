#pragma once
// Window layouts as data: what each front end draws, row by row.

#include <cstdint>
#include <span>

namespace ui {

// Colours of the system palette; the visual style decides their values.
enum class SysColor : std::uint8_t { BtnHighlight, BtnFace, WindowText, Window };

struct TColor {
  bool IsSystem = false;
  SysColor System = SysColor::WindowText;
  std::uint32_t Rgb = 0;  // 0xRRGGBB
  static constexpr TColor Sys(SysColor c) { return {.IsSystem = true, .System = c}; }
  static constexpr TColor FromRgb(std::uint32_t rgb) { return {.Rgb = rgb}; }
};

inline constexpr TColor clNavy = TColor::FromRgb(0x000080);

inline constexpr int kCyrillicCharset = 204;

// A row names its font only where it differs from this one, the dialogs'
// MS Sans Serif 8 pt in the default character set.
struct TFontSpec {
  const char* Family = "MS Sans Serif";
  int PixelHeight = 11;
  bool Bold = false;
  int Charset = 1;
  TColor Color = TColor::Sys(SysColor::WindowText);
};

enum class TCursor : std::uint8_t { crDefault, crHourGlass };

enum class ControlKind : std::uint8_t {
  Label,
  FlatImageButton,
  Picture,
  Memo,
  Panel,
  PushButton,
  RadioButton,  // the radio buttons of one parent form one group
  Animation,    // a looping picture strip: Picture holds the frames side by side
};

// Tooltips wrap at this width (pixels at 96 dots per inch): a hint may be a
// whole setup.ini value long.
inline constexpr int kTooltipWidth = 400;

// One control. A row names its Id, Name and Kind and whatever else differs
// from the defaults here; fields in this order, as designated initializers
// need them.
struct TControlRow {
  int Id;
  const char* Name;
  ControlKind Kind;
  int Left = 0, Top = 0, Width = 0, Height = 0;
  const char* Text = "";            // label text
  const TFontSpec* Font = nullptr;  // null: the form's font
  bool Transparent = false;         // labels: drawn without background
  const char* Hint = "";            // tooltip
  const char* Picture = "";         // picture resource name
  bool Visible = true;
  int TabOrder = -1;                // -1: takes no focus
  int Parent = -1;                  // id of the panel that holds it; positions are relative to it
  int ModalResult = 0;              // push buttons: closes the window with this result
  bool Cancel = false;              // push buttons: answers Esc
  bool Checked = false;             // radio buttons: checked when the window is made
};

// A window. The defaults make a dialog of the program: a fixed frame with
// the system menu only, the button face, the dialog font, centred on the
// desktop.
struct TFormLayout {
  const char* Name;
  int ClientWidth = 0, ClientHeight = 0;
  bool FixedSize = true;
  bool SystemMenu = true, MinimizeBox = false, MaximizeBox = false;
  int InnerBorder = 0;
  TColor Background = TColor::Sys(SysColor::BtnFace);
  TFontSpec Font{};
  int HelpContext = 0;
  bool CentreOnScreen = true;
  std::span<const TControlRow> Controls;
  const char* Caption = "";
  bool StayOnTop = false;
  TCursor Cursor = TCursor::crDefault;  // the mouse cursor over the window

  const TControlRow* Find(int id) const {
    for (const auto& c : Controls)
      if (c.Id == id) return &c;
    return nullptr;
  }
};

}  // namespace ui
