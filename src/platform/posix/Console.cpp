#include "platform/Console.h"

#include <cstdio>

namespace platform {

void WriteConsoleText(const std::string& text, bool error) {
  std::FILE* f = error ? stderr : stdout;
  std::fwrite(text.data(), 1, text.size(), f);
  std::fflush(f);
}

}  // namespace platform
