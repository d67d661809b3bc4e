#pragma once
// The contrast of two 0xRRGGBB colours as WCAG counts it, 1 to 21: what both
// front ends' focus marks are held to.

#include <algorithm>
#include <cmath>
#include <cstdint>

inline double Contrast(std::uint32_t a, std::uint32_t b) {
  const auto luminance = [](std::uint32_t rgb) {
    const auto lin = [](std::uint32_t c) {
      const double v = c / 255.0;
      return v <= 0.04045 ? v / 12.92 : std::pow((v + 0.055) / 1.055, 2.4);
    };
    return 0.2126 * lin(rgb >> 16 & 0xFF) + 0.7152 * lin(rgb >> 8 & 0xFF) + 0.0722 * lin(rgb & 0xFF);
  };
  const double la = luminance(a), lb = luminance(b);
  return (std::max(la, lb) + 0.05) / (std::min(la, lb) + 0.05);
}
