#include "ui/Application.h"

namespace ui {

TApplication Application;

}  // namespace ui
