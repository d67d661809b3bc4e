#include "ui/Application.h"

#include "ui/_Dialogs.h"

namespace ui {

TApplication Application;

void TApplication::ShowException(dialogs::IDialogs& dialogs, const std::exception& e) const {
  std::string text = e.what();
  if (!text.empty() && text.back() != '.') text += '.';
  dialogs.ShowErrorBox(Title, text);
}

}  // namespace ui
