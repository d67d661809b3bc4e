#pragma once
// What the keys alone do in each form of its own, the same on every front
// end: the Tab chain from the first focus round to it again, what Enter on
// each push button gives, and what Esc gives. Shared by the Qt and the Win32
// front-end tests.

#include <vector>

#include "ui/F_740.h"
#include "ui/F_FBInstallHelp.h"
#include "ui/F_SelSrv.h"
#include "ui/F_Ver.h"
#include "ui/_Dialogs.h"

namespace keyboard_forms {

// A push button that is no modal button reports its click: the tests end the
// window with kClicked + its id.
inline constexpr int kClicked = 1000;
// Esc that ends nothing.
inline constexpr int kStaysOpen = -1;

struct TKeyForm {
  const ui::TFormLayout& (*Layout)();
  std::vector<int> TabChain;                    // control ids, from the first focus
  std::vector<std::pair<int, int>> EnterOn;     // push button id, result
  int Escape;
  std::vector<int> Down;  // what Down checks in turn from the first focus; Up walks back
};

inline std::vector<TKeyForm> KeyForms() {
  using namespace ui;
  return {
      {About740Layout, {Memo1, CancelBitBtn, Memo2}, {{CancelBitBtn, dialogs::mrCancel}},
       dialogs::mrCancel, {}},
      // Tab visits a group of radio buttons at its checked one only; the
      // arrow keys move inside the group.
      {SelectServerLayout,
       {selsrv::RadioButton1, selsrv::CancelBtn, selsrv::ContinueBtn},
       {{selsrv::CancelBtn, dialogs::mrCancel}, {selsrv::ContinueBtn, dialogs::mrOk}},
       kStaysOpen,
       {selsrv::RadioButton2, selsrv::RadioButton3, selsrv::RadioButton4}},
      {VerLayout,
       {ver::OkButton, ver::CancelButton, ver::HelpButton},
       {{ver::OkButton, dialogs::mrOk},
        {ver::CancelButton, dialogs::mrCancel},
        {ver::HelpButton, kClicked + ver::HelpButton}},
       dialogs::mrCancel, {}},
      {FBInstallHelpLayout,
       {fbhelp::HelpBtn, fbhelp::ContinueBtn, fbhelp::CancelBtn},
       {{fbhelp::HelpBtn, kClicked + fbhelp::HelpBtn},
        {fbhelp::ContinueBtn, dialogs::mrOk},
        {fbhelp::CancelBtn, dialogs::mrCancel}},
       kStaysOpen, {}},
  };
}

}  // namespace keyboard_forms
