#pragma once

#include <QColor>
#include <QString>

#include "ui/Layout.h"
#include "ui/Style.h"

namespace ui::qt {

// Loads the style resource of that name and applies it to the application.
bool ApplyStyle(const QString& name);

QColor ToQColor(std::uint32_t rgb);
QColor ResolveColour(TColor colour);

}  // namespace ui::qt
