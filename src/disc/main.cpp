// skddisc: the disc authors' console tool.
//   skddisc --version
//   skddisc check DISC [--json]
//   skddisc image DISC OUT.iso [--label TEXT] [--payload DIR] [--cert FILE.p12]   (Linux)

#include <string>
#include <vector>

#include "disc/DiscCheck.h"
#ifndef _WIN32
#include "disc/Image.h"
#endif
#include "platform/Console.h"

namespace {

constexpr const char* kUsage =
    "Использование:\n"
    "  skddisc check ПАПКА_ДИСКА [--json]\n"
#ifndef _WIN32
    "  skddisc image ПАПКА_ДИСКА ОБРАЗ.iso [--label МЕТКА] [--payload ПАПКА]\n"
    "                [--cert ФАЙЛ.p12]   (пароль: SKD_SIGN_PASSWORD_FILE или SKD_SIGN_PASSWORD)\n"
#endif
    ;

void Print(const std::string& text, bool error = false) { platform::WriteConsoleText(text, error); }

int Run(const std::vector<std::string>& args) {
  std::vector<std::string> plain;
  bool json = false;
  std::string label, payload, cert;
  for (std::size_t i = 0; i < args.size(); ++i) {
    const std::string& a = args[i];
    if (a == "--version") {
      Print(std::string("skddisc ") + SKD_VERSION + "\n");
      return 0;
    }
    if (a == "--json") {
      json = true;
    } else if ((a == "--label" || a == "--payload" || a == "--cert") && i + 1 < args.size()) {
      (a == "--label" ? label : a == "--payload" ? payload : cert) = args[++i];
    } else if (a.size() > 2 && a.compare(0, 2, "--") == 0) {
      Print("Неизвестный параметр: " + a + "\n" + kUsage, true);
      return 2;
    } else {
      plain.push_back(a);
    }
  }
  if (plain.size() == 2 && plain[0] == "check") {
    const disc::Report report = disc::CheckDisc(plain[1]);
    Print(json ? disc::FormatJson(report) : disc::FormatText(report));
    return report.ExitStatus();
  }
#ifndef _WIN32
  if (plain.size() == 3 && plain[0] == "image") {
    std::string messages;
    const int status = disc::MakeImage(plain[1], plain[2], {label, payload, cert}, messages);
    Print(messages, status != 0);
    return status;
  }
#endif
  Print(kUsage, true);
  return 2;
}

}  // namespace

#ifdef _WIN32
int wmain(int argc, wchar_t** argv) {
  try {
    return Run(platform::Utf8Arguments(argc, argv));
  } catch (...) {
    Print("Не хватило памяти.\n", true);
    return 2;
  }
}
#else
int main(int argc, char** argv) {
  try {
    return Run(std::vector<std::string>(argv + 1, argv + argc));
  } catch (...) {
    Print("Не хватило памяти.\n", true);
    return 2;
  }
}
#endif
