#pragma once
// Unit F_Ver: TVerForm, which names the installed InterBase version and asks
// whether to go on.

#include <string>

#include "ui/Layout.h"
#include "ui/_Dialogs.h"

namespace ui {

namespace ver {
enum Control : int { Image1, Label1, Label2, VerLabel, Label3, OkButton, CancelButton, HelpButton };
}

const TFormLayout& VerLayout();

// Modally, with IBVer in VerLabel; true only when it ended with OK.
bool ShowVerDialog(dialogs::IDialogs& dialogs, const std::string& IBVer);

}  // namespace ui
