// Prints the MSAA tree of the window with a caption, as a screen reader
// walks it: msaa_tree <caption> [seconds to wait for it, default 10].
// UTF-8 on standard output; exit 1 when no such window came up.

#include <windows.h>

#include <cstdio>
#include <cwchar>
#include <string>

#include "MsaaTree.h"
#include "platform/win32/Wide.h"

int wmain(int argc, wchar_t** argv) {
  if (argc < 2) {
    std::fputs("usage: msaa_tree <caption> [seconds]\n", stderr);
    return 2;
  }
  const int tenths = 10 * (argc > 2 ? _wtoi(argv[2]) : 10);
  HWND window = nullptr;
  for (int i = 0; i < tenths && !(window = FindWindowW(nullptr, argv[1])); ++i) Sleep(100);
  if (!window) return 1;
  CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED);
  const std::string text = platform::Narrow(msaa::Text(msaa::Tree(window, OBJID_CLIENT)));
  std::fwrite(text.data(), 1, text.size(), stdout);
  CoUninitialize();
  return 0;
}
