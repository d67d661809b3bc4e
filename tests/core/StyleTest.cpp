#include <gtest/gtest.h>

#include <fstream>
#include <sstream>

#include "ui/Style.h"

namespace {

TEST(Style, ShippedStyleIsComplete) {
  std::ifstream in(SKD_STYLE_FILE, std::ios::binary);
  std::stringstream ss;
  ss << in.rdbuf();
  const auto style = ui::ParseStyle(ss.str());
  ASSERT_TRUE(style);
  EXPECT_EQ(style->Name, "Amethyst Kamri");
  // Navy labels must stay readable on the menu's background.
  EXPECT_GT(style->BtnHighlight & 0xFF, 0xE0u);
  EXPECT_NE(style->BtnFace, style->BtnText);
}

TEST(Style, IncompleteOrBrokenStylesAreRejected) {
  const std::string good =
      "[Style]\nName=S\n[Colors]\nWindow=#000000\nWindowText=#000000\nBtnHighlight=#000000\n"
      "BtnFace=#000000\nBtnText=#000000\nBtnHover=#000000\nBtnBorder=#000000\n"
      "Highlight=#000000\nHighlightText=#000000\nFrame=#000000\nToolTipBack=#000000\n"
      "ToolTipText=#000000\nDisabled=#0a0B0c\n";
  ASSERT_TRUE(ui::ParseStyle(good));
  EXPECT_EQ(ui::ParseStyle(good)->Disabled, 0x0A0B0Cu);
  for (const auto& [from, to] : {std::pair{"Name=S", "Name="},
                                 std::pair{"Frame=#000000", "Frame=#00000"},
                                 std::pair{"Frame=#000000", "Frame=#00000g"},
                                 std::pair{"Frame=#000000", ""}}) {
    std::string bad = good;
    bad.replace(bad.find(from), std::string(from).size(), to);
    EXPECT_FALSE(ui::ParseStyle(bad)) << to;
  }
  EXPECT_FALSE(ui::ParseStyle(""));
}

// Under the style a system colour is the style's; without one the system
// palette decides; a layout's own colour stays.
TEST(Style, ColoursUnderTheStyle) {
  ui::TStyle style;
  style.Window = 1, style.WindowText = 2, style.BtnHighlight = 3, style.BtnFace = 4;
  using ui::SysColor, ui::TColor;
  const struct {
    TColor colour;
    std::optional<std::uint32_t> styled, plain;
  } cases[] = {
      {TColor::Sys(SysColor::BtnHighlight), 3, std::nullopt},
      {TColor::Sys(SysColor::BtnFace), 1, std::nullopt},  // the window face
      {TColor::Sys(SysColor::Window), 1, std::nullopt},
      {TColor::Sys(SysColor::WindowText), 2, std::nullopt},
      {ui::clNavy, 0x000080, 0x000080},
  };
  for (const auto& c : cases) {
    EXPECT_EQ(ui::StyleColour(c.colour, &style), c.styled) << &c - cases;
    EXPECT_EQ(ui::StyleColour(c.colour, nullptr), c.plain) << &c - cases;
  }
}

}  // namespace
