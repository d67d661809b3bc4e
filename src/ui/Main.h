#pragma once
// Unit Main: TSKDSetupForm, the menu window's logic.

#include <cstdint>

#include "ui/Forms.h"
#include "ui/Layout.h"

namespace ui {

// The controls of the main window, in painting order.
enum MainControl : int {
  SoftLabel,
  SoftSetupRXSB,
  ViewRxSB,
  Label1,
  StatusLabel,
  DocRxSB,
  Label2,
  Image1,
  Image2,
  DateLabel,
};

// The window's own components without a place on screen.
inline constexpr int kTimer1Interval = 1000;

struct TMenuItem {
  const char* Name;
  int Tag;
  const char* Caption;  // null: a separator
};
std::span<const TMenuItem> AddPrgPopupMenu();

const TFormLayout& MainLayout();

class TSKDSetupForm {
 public:
  explicit TSKDSetupForm(const TFormDeps& deps);

  void FormCreate();
  void FormCloseQuery(bool& CanClose);
  void FormClose();
  void FormDestroy();
  bool FormHelp(std::uint16_t Command, std::intptr_t Data, bool& CallHelp);
  void CloseBitBtnClick();
  void HelpBitBtnClick();
  void AddSetupRXSBClick();

  std::int32_t LastError = 0;

 private:
  TFormDeps deps_;
};

}  // namespace ui
