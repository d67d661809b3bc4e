#pragma once
// How wide the menu draws a text: the labels' bold Tahoma and Arial are
// drawn with Liberation Sans Bold on Linux and Wine without its own fonts,
// which has Arial's widths; Tahoma Bold on Windows is about as wide.

#include <string_view>

namespace disc {

// Pixels at 96 dots per inch of `text` in a bold label font `pixelHeight` high.
int TextWidth(std::u16string_view text, int pixelHeight);

}  // namespace disc
