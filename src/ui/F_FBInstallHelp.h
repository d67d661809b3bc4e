#pragma once
// Unit F_FBInstallHelp: TFBInstallHelpForm, the notice before the database
// server's installer that points to the help on installing it.

#include "ui/Layout.h"
#include "ui/_Dialogs.h"

namespace ui {

namespace fbhelp {
enum Control : int { Image1, Label1, HelpBtn, CancelBtn, ContinueBtn };
}

const TFormLayout& FBInstallHelpLayout();

// Modally; true only when it ended with OK (Continue).
bool ShowFBInstallHelp(dialogs::IDialogs& dialogs);

}  // namespace ui
