#include "ui/Style.h"

#include <utility>

#include "platform/ProfileParser.h"
#include "platform/TextDecode.h"

namespace ui {

namespace {

std::optional<std::uint32_t> ParseColour(const std::string& v) {
  if (v.size() != 7 || v[0] != '#') return std::nullopt;
  std::uint32_t rgb = 0;
  for (size_t i = 1; i < v.size(); ++i) {
    const char c = v[i];
    int d = c >= '0' && c <= '9'   ? c - '0'
            : c >= 'a' && c <= 'f' ? c - 'a' + 10
            : c >= 'A' && c <= 'F' ? c - 'A' + 10
                                   : -1;
    if (d < 0) return std::nullopt;
    rgb = rgb << 4 | static_cast<std::uint32_t>(d);
  }
  return rgb;
}

}  // namespace

std::optional<TStyle> ParseStyle(std::string_view text) {
  TStyle s;
  // Decoded once for its fourteen values: it is read before the first window.
  const platform::ProfileIndex index(platform::DecodeProfileText(text));
  s.Name = index.Lookup("Style", "Name");
  if (s.Name.empty()) return std::nullopt;
  const std::pair<const char*, std::uint32_t*> colours[] = {
      {"Window", &s.Window},       {"WindowText", &s.WindowText},
      {"BtnHighlight", &s.BtnHighlight}, {"BtnFace", &s.BtnFace},
      {"BtnText", &s.BtnText},     {"BtnHover", &s.BtnHover},
      {"BtnBorder", &s.BtnBorder}, {"Highlight", &s.Highlight},
      {"HighlightText", &s.HighlightText}, {"Frame", &s.Frame},
      {"ToolTipBack", &s.ToolTipBack}, {"ToolTipText", &s.ToolTipText},
      {"Disabled", &s.Disabled},
  };
  for (auto [key, field] : colours) {
    auto c = ParseColour(index.Lookup("Colors", key));
    if (!c) return std::nullopt;
    *field = *c;
  }
  return s;
}

namespace {
std::optional<TStyle> g_active;
}

const TStyle* ActivateStyle(std::string_view text, std::string_view name) {
  auto style = ParseStyle(text);
  if (!style || style->Name != name) return nullptr;
  g_active = std::move(style);
  return &*g_active;
}

const TStyle* ActiveStyle() { return g_active ? &*g_active : nullptr; }

std::optional<std::uint32_t> StyleColour(TColor colour, const TStyle* style) {
  if (!colour.IsSystem) return colour.Rgb;
  if (!style) return std::nullopt;
  switch (colour.System) {
    case SysColor::BtnHighlight: return style->BtnHighlight;
    case SysColor::BtnFace: return style->Window;
    case SysColor::Window: return style->Window;
    case SysColor::WindowText: return style->WindowText;
  }
  return std::nullopt;
}

}  // namespace ui
