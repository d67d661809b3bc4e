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
  static constexpr TColor Sys(SysColor c) { return {true, c, 0}; }
  static constexpr TColor FromRgb(std::uint32_t rgb) { return {false, SysColor::WindowText, rgb}; }
};

inline constexpr TColor clNavy = TColor::FromRgb(0x000080);

inline constexpr int kCyrillicCharset = 204;

struct TFontSpec {
  const char* Family;
  int PixelHeight;
  bool Bold;
  int Charset;
  TColor Color;
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

struct TControlRow {
  int Id;
  const char* Name;
  ControlKind Kind;
  int Left, Top, Width, Height;
  const char* Text;       // label text; "" for the others
  const TFontSpec* Font;  // null: the form's font
  bool Transparent;       // labels: drawn without background
  const char* Hint;       // tooltip; "" for none
  const char* Picture;    // picture resource name; "" for none
  bool Visible;
  int TabOrder;           // -1: takes no focus
  int Parent = -1;        // id of the panel that holds it; positions are relative to it
  int ModalResult = 0;    // push buttons: closes the window with this result
  bool Cancel = false;    // push buttons: answers Esc
  bool Checked = false;   // radio buttons: checked when the window is made
};

struct TFormLayout {
  const char* Name;
  int ClientWidth, ClientHeight;
  bool FixedSize;
  bool SystemMenu, MinimizeBox, MaximizeBox;
  int InnerBorder;
  TColor Background;
  TFontSpec Font;
  int HelpContext;
  bool CentreOnScreen;
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

// The font of the program's dialogs: MS Sans Serif 8 pt, default character set.
inline constexpr TFontSpec kDialogFont{"MS Sans Serif", 11, false, 1,
                                       TColor::Sys(SysColor::WindowText)};

// A dialog of the program: a fixed frame with the system menu only, the
// button face, the dialog font, centred on the desktop.
constexpr TFormLayout DialogLayout(const char* name, int clientWidth, int clientHeight,
                                   int helpContext, std::span<const TControlRow> controls,
                                   const char* caption) {
  return TFormLayout{name,       clientWidth, clientHeight, true,     true,
                     false,      false,       0,            TColor::Sys(SysColor::BtnFace),
                     kDialogFont, helpContext, true,         controls, caption};
}

}  // namespace ui
