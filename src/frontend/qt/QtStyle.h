#pragma once

#include <QColor>
#include <QString>

#include "ui/Layout.h"
#include "ui/Style.h"

namespace ui::qt {

// Loads the style resource of that name and applies it to the application.
bool ApplyStyle(const QString& name);
// The applied style, or null while the default look is in use.
const TStyle* ActiveStyle();

QColor ToQColor(std::uint32_t rgb);
QColor ResolveColour(TColor colour);

}  // namespace ui::qt
