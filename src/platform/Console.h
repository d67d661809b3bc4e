#pragma once
// A console tool's text, UTF-8 on every platform.

#include <string>
#include <vector>

namespace platform {

// To stdout, or to stderr for an error. A Windows console gets it as UTF-16
// (its code page may be anything); a pipe or a file gets the bytes as they are.
void WriteConsoleText(const std::string& text, bool error = false);

#ifdef _WIN32
// The arguments after the program's name, from wmain's UTF-16.
std::vector<std::string> Utf8Arguments(int argc, wchar_t** argv);
#endif

}  // namespace platform
