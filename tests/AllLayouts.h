#pragma once
// Every window's layout, for the checks that walk them all, and what the
// rows say beyond each row: the tab chain their numbers make. Shared by the
// Qt and the Win32 front-end tests.

#include <algorithm>
#include <utility>
#include <vector>

#include "ui/F_740.h"
#include "ui/F_FBInstallHelp.h"
#include "ui/F_Info.h"
#include "ui/F_SelSrv.h"
#include "ui/F_Ver.h"
#include "ui/Main.h"

namespace all_layouts {

inline std::vector<const ui::TFormLayout*> AllLayouts() {
  using namespace ui;
  return {&MainLayout(), &About740Layout(),      &SelectServerLayout(),
          &VerLayout(),  &FBInstallHelpLayout(), &InfoLayout()};
}

// A label takes the size of its text and a picture its own; the table fixes
// the size of the others.
inline bool SizedByTable(ui::ControlKind kind) {
  return kind != ui::ControlKind::Label && kind != ui::ControlKind::Picture;
}

// Where the row lies in the window's client area: panels move their controls.
inline std::pair<int, int> ClientPlace(const ui::TFormLayout& layout, const ui::TControlRow& row) {
  int x = 0, y = 0;
  for (const ui::TControlRow* r = &row; r; r = r->Parent < 0 ? nullptr : layout.Find(r->Parent)) {
    x += r->Left;
    y += r->Top;
  }
  return {x, y};
}

// The ids that Tab visits, in turn: by the rows' numbers, a control in a
// panel at its panel's turn. Panels themselves take no focus.
inline std::vector<int> TabChain(const ui::TFormLayout& layout) {
  std::vector<std::pair<std::vector<int>, int>> turns;
  for (const ui::TControlRow& row : layout.Controls) {
    if (row.TabOrder < 0 || row.Kind == ui::ControlKind::Panel) continue;
    std::vector<int> turn;
    for (const ui::TControlRow* r = &row; r; r = r->Parent < 0 ? nullptr : layout.Find(r->Parent))
      turn.insert(turn.begin(), r->TabOrder);
    turns.emplace_back(turn, row.Id);
  }
  std::stable_sort(turns.begin(), turns.end(),
                   [](const auto& a, const auto& b) { return a.first < b.first; });
  std::vector<int> ids;
  for (const auto& t : turns) ids.push_back(t.second);
  return ids;
}

}  // namespace all_layouts
