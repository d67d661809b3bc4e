#include "platform/Console.h"

#include <windows.h>

#include <cstdio>

#include "platform/win32/Wide.h"

namespace platform {

void WriteConsoleText(const std::string& text, bool error) {
  const HANDLE h = GetStdHandle(error ? STD_ERROR_HANDLE : STD_OUTPUT_HANDLE);
  DWORD mode;
  if (h != INVALID_HANDLE_VALUE && GetConsoleMode(h, &mode)) {
    const std::wstring wide = Wide(text);
    DWORD written;
    WriteConsoleW(h, wide.data(), static_cast<DWORD>(wide.size()), &written, nullptr);
    return;
  }
  std::FILE* f = error ? stderr : stdout;
  std::fwrite(text.data(), 1, text.size(), f);
  std::fflush(f);
}

std::vector<std::string> Utf8Arguments(int argc, wchar_t** argv) {
  std::vector<std::string> args;
  for (int i = 1; i < argc; ++i) args.push_back(Narrow(argv[i]));
  return args;
}

}  // namespace platform
