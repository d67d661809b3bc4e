#pragma once
// Unit F_740: TAbout740Form, the window shown when Windows refuses to start
// an installer for lack of rights (error 740).

#include "ui/Layout.h"

namespace ui {

enum About740Control : int { Memo1, Image1_740, Memo2, Panel1, Panel2, CancelBitBtn };

const TFormLayout& About740Layout();

// The two texts as the boxes hold them, lines joined by CR LF.
extern const char* const kAbout740Memo1;
extern const char* const kAbout740Memo2;

}  // namespace ui
