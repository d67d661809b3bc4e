#include "ui/FormRules.h"

namespace ui {

bool TakesFocus(ControlKind kind) {
  return kind == ControlKind::Memo || kind == ControlKind::PushButton ||
         kind == ControlKind::RadioButton;
}

std::vector<int> TabChain(const TFormLayout& layout) {
  std::vector<std::pair<std::vector<int>, int>> turns;
  for (const TControlRow& row : layout.Controls) {
    if (row.TabOrder < 0 || !TakesFocus(row.Kind)) continue;
    std::vector<int> turn;
    for (const TControlRow* r = &row; r; r = r->Parent < 0 ? nullptr : layout.Find(r->Parent))
      turn.insert(turn.begin(), r->TabOrder);
    turns.emplace_back(std::move(turn), row.Id);
  }
  std::stable_sort(turns.begin(), turns.end(),
                   [](const auto& a, const auto& b) { return a.first < b.first; });
  std::vector<int> ids;
  for (const auto& t : turns) ids.push_back(t.second);
  return ids;
}

int FirstFocus(const TFormLayout& layout) {
  const std::vector<int> chain = TabChain(layout);
  return chain.empty() ? -1 : chain.front();
}

int RadioStep(const TFormLayout& layout, int radio, int step) {
  const TControlRow* from = layout.Find(radio);
  if (!from || from->Kind != ControlKind::RadioButton) return -1;
  std::vector<int> group;
  for (int id : TabChain(layout))
    if (const TControlRow* r = layout.Find(id);
        r->Kind == ControlKind::RadioButton && r->Parent == from->Parent)
      group.push_back(id);
  const auto at = std::find(group.begin(), group.end(), radio);
  if (at == group.end()) return -1;
  const auto to = (at - group.begin()) + step;
  if (to < 0 || to >= static_cast<std::ptrdiff_t>(group.size())) return -1;
  return group[static_cast<std::size_t>(to)];
}

TFormAction FormClick(const TFormLayout& layout, int control) {
  const TControlRow* row = layout.Find(control);
  if (!row) return {};
  if (row->ModalResult) return {TFormAction::Close, row->ModalResult};
  if (row->Kind == ControlKind::PushButton || row->Kind == ControlKind::FlatImageButton)
    return {TFormAction::Click, control};
  return {};
}

TFormAction FormEscape(const TFormLayout& layout) {
  for (const TControlRow& row : layout.Controls)
    if (row.Cancel) return {TFormAction::Close, row.ModalResult};
  return {};
}

TFormAction FormHelp(const TFormLayout& layout) { return {TFormAction::Help, layout.HelpContext}; }

TFormAction FormCloseBox(const TFormLayout&) { return {TFormAction::Close, dialogs::mrCancel}; }

void PerformFormAction(const TFormAction& action, const std::function<void(int)>& endModal,
                       const std::function<void(int control)>& onClick,
                       const std::function<void(std::int32_t helpContext)>& onHelp) {
  switch (action.What) {
    case TFormAction::Close:
      endModal(action.Value);
      break;
    case TFormAction::Click:
      if (onClick) onClick(action.Value);
      break;
    case TFormAction::Help:
      if (onHelp) onHelp(action.Value);
      break;
    case TFormAction::None:
      break;
  }
}

const TFontSpec& RowFont(const TFormLayout& layout, const TControlRow& row) {
  return row.Font ? *row.Font : layout.Font;
}

TBounds ClientBounds(const TFormLayout& layout, const TControlRow& row, const TScale& scale,
                     const TRowTop& top) {
  const auto s = [&](int v) { return scale ? scale(v) : v; };
  const int rowTop = top ? top(row) : row.Top;
  int x = 0, y = 0;
  for (const TControlRow* p = row.Parent < 0 ? nullptr : layout.Find(row.Parent); p;
       p = p->Parent < 0 ? nullptr : layout.Find(p->Parent)) {
    x += s(p->Left);
    y += s(top ? top(*p) : p->Top);
  }
  return {x + s(row.Left), y + s(rowTop), x + s(row.Left + row.Width), y + s(rowTop + row.Height)};
}

std::optional<dialogs::TPoint> FirstPlace(const TFormLayout& layout, dialogs::TSize frame,
                                          dialogs::TRect screen) {
  if (!layout.CentreOnScreen) return std::nullopt;
  return dialogs::PlaceDialog(-1, -1, frame, screen, {});
}

std::string WithLineBreaks(const std::string& text, std::string_view newline) {
  std::string out;
  out.reserve(text.size());
  for (std::size_t i = 0; i < text.size(); ++i) {
    if (text[i] == '\r' || text[i] == '\n') {
      if (text[i] == '\r' && i + 1 < text.size() && text[i + 1] == '\n') ++i;
      out += newline;
    } else {
      out += text[i];
    }
  }
  return out;
}

}  // namespace ui
