#pragma once
// Unit F_SelSrv: TSelectServerForm, where the operator picks one of the four
// hardware server variants.

#include "ui/Layout.h"
#include "ui/_Dialogs.h"

namespace ui {

namespace selsrv {
enum Control : int {
  RadioButton1,
  Label1,
  RadioButton2,
  Label2,
  RadioButton3,
  Label4,
  Label5,
  RadioButton4,
  Label6,
  CancelBtn,
  ContinueBtn,
};
}  // namespace selsrv

const TFormLayout& SelectServerLayout();

// Shows the dialog modally: 1 to 4 for the variant chosen, 0 when none was.
int SelectServer(dialogs::IDialogs& dialogs);

}  // namespace ui
