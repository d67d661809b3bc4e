#pragma once
// What the program's windows tell assistive technology (AT-SPI through
// QAccessible), read from the shared table in ui/Accessible.h.

#include <QAccessible>

#include <string>

#include "ui/Accessible.h"

class QWidget;

namespace ui::qt {

QAccessible::Role ToQtRole(TAccRole role);

// Registers the factory that answers for the program's windows and their
// controls. Cheap: nothing is asked of a window until a screen reader asks.
void InstallAccessibility();

// Tells a listening screen reader that these of `w` changed; nothing when
// none listens.
void TellNameChanged(QWidget* w);
void TellDescriptionChanged(QWidget* w);
// Has a listening screen reader read `text` out as news from `w`.
void Announce(QWidget* w, const std::string& text);

}  // namespace ui::qt
