#include "help/Help.h"

namespace help {

std::unique_ptr<THelpProvider> HelpProvider;

namespace {
IHelpErrorBox* g_errorBox = nullptr;

template <typename Request>
void Dispatch(Request request) {
  try {
    if (!HelpProvider) {
      ShowHelpError(kHelpInitError);
      return;
    }
    if (!HelpProvider->Loaded()) {
      ShowHelpError(kHelpNotLoaded);
      return;
    }
    request(*HelpProvider);
  } catch (...) {
    ShowHelpError(kHelpInitError);
  }
}
}  // namespace

void SetHelpErrorBox(IHelpErrorBox* box) { g_errorBox = box; }

void ShowHelpTopic(std::int32_t context) {
  Dispatch([context](THelpProvider& p) { p.ShowTopic(context); });
}

bool FormHelp(std::intptr_t Data, bool& CallHelp) {
  ShowHelpTopic(static_cast<std::int32_t>(Data));
  CallHelp = false;
  return false;
}

void ShowHelpContents() {
  Dispatch([](THelpProvider& p) { p.ShowContents(); });
}

void ReleaseHelp() {
  THelpProvider* provider = HelpProvider.release();
  try {
    delete provider;
  } catch (...) {
    // A provider that fails while going away is gone all the same.
  }
}

void ShowHelpError(const std::string& text) {
  if (g_errorBox) g_errorBox->Show(kHelpCaption, text);
}

}  // namespace help
