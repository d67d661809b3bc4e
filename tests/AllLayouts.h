#pragma once
// Every window's layout, for the checks that walk them all (each row's place
// and the tab chain come from ui/FormRules.h). Shared by the Qt and the Win32
// front-end tests.

#include <vector>

#include "ui/F_740.h"
#include "ui/F_FBInstallHelp.h"
#include "ui/F_Info.h"
#include "ui/F_SelSrv.h"
#include "ui/F_Ver.h"
#include "ui/FormRules.h"
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

}  // namespace all_layouts
