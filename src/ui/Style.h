#pragma once
// The visual style "Amethyst Kamri": a palette for windows, buttons and
// dialogs, kept in one text file that both front ends apply.

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

#include "ui/Layout.h"

namespace ui {

inline constexpr const char* kStyleName = "Amethyst Kamri";

struct TStyle {
  std::string Name;
  // 0xRRGGBB
  std::uint32_t Window = 0;         // dialog and window faces
  std::uint32_t WindowText = 0;
  std::uint32_t BtnHighlight = 0;   // the menu window's background
  std::uint32_t BtnFace = 0;        // push buttons
  std::uint32_t BtnText = 0;
  std::uint32_t BtnHover = 0;
  std::uint32_t BtnBorder = 0;
  std::uint32_t Highlight = 0;      // selection, focus
  std::uint32_t HighlightText = 0;
  std::uint32_t Frame = 0;          // the frame of a flat button under the mouse
  std::uint32_t ToolTipBack = 0;
  std::uint32_t ToolTipText = 0;
  std::uint32_t Disabled = 0;       // greyed text
};

// Parses the style file; nullopt when it is not a complete style.
std::optional<TStyle> ParseStyle(std::string_view text);

// Makes the style file's style the one in effect if it is complete and
// named `name`; the style in effect, or null.
const TStyle* ActivateStyle(std::string_view text, std::string_view name);
// The style in effect, or null while the toolkit's own look is in use.
const TStyle* ActiveStyle();

// A layout colour as drawn: its own value, or under a style the style's
// value of a system colour (the system's face is the window face there;
// BtnFace paints push buttons). Nullopt: the system palette decides.
std::optional<std::uint32_t> StyleColour(TColor colour, const TStyle* style);

}  // namespace ui
