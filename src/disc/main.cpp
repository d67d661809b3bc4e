// skddisc: the disc authors' console tool.
//   skddisc help | --help | --version
//   skddisc check DISC [--json] [--windows-only]
//   skddisc image DISC OUT.iso [--label TEXT] [--payload DIR] [--cert FILE.p12] [--windows-only]   (Linux)
//   skddisc preview DISC|IMAGE.iso OUT_DIR [--scale PERCENT] [--payload DIR]   (Linux)

#include <string>
#include <vector>

#include "disc/DiscCheck.h"
#ifndef _WIN32
#include "disc/Image.h"
#include "disc/Preview.h"
#endif
#include "platform/Console.h"

namespace {

constexpr const char* kUsage =
    "Использование:\n"
    "  skddisc check ПАПКА_ДИСКА [--json] [--windows-only]\n"
#ifndef _WIN32
    "  skddisc image ПАПКА_ДИСКА ОБРАЗ.iso [--label МЕТКА] [--payload ПАПКА]\n"
    "                [--cert ФАЙЛ.p12] [--windows-only]\n"
    "  skddisc preview ПАПКА_ДИСКА|ОБРАЗ.iso ПАПКА_КАРТИНОК [--scale ПРОЦЕНТ] [--payload ПАПКА]\n"
#else
    "  (образ диска и картинки меню делает skddisc для Linux)\n"
#endif
    "  skddisc help      подробно о командах\n";

constexpr const char* kHelp =
    "skddisc — инструмент автора диска дистрибутива СКУД.\n"
    "\n"
    "Команды:\n"
    "  check ПАПКА_ДИСКА [--json] [--windows-only]\n"
    "      Читает setup.ini папки теми же средствами, что и меню, и говорит, что меню\n"
    "      покажет и запустит, и что в файле или в папке помешает. Ошибка — меню\n"
    "      откажется работать (или диск испорчен для Windows); предупреждение — меню\n"
    "      будет работать, но что-то будет выглядеть или работать иначе.\n"
    "      --json          те же замечания для программ: у каждого severity, line\n"
    "                      (строка setup.ini; 0 — файл целиком или файл диска из path),\n"
    "                      code, section, key, path, message.\n"
    "      --windows-only  диск без меню для Linux (как image --windows-only).\n"
    "  image ПАПКА_ДИСКА ОБРАЗ.iso [--label МЕТКА] [--payload ПАПКА] [--cert ФАЙЛ.p12]\n"
    "        [--windows-only]                                        (только Linux)\n"
    "      Проверяет папку; при ошибке образ не пишет. Иначе пишет образ ISO: папка как\n"
    "      есть и меню для Windows и Linux (skdsetup.exe, autorun.inf, skdsetup, linux/,\n"
    "      autorun.sh).\n"
    "      --label         метка тома (по умолчанию заголовок окна);\n"
    "      --payload       папка с программами меню (scripts/payload.sh);\n"
    "      --cert          подписать skdsetup.exe сертификатом PKCS#12 (osslsigncode);\n"
    "      --windows-only  без меню для Linux.\n"
    "  preview ПАПКА_ДИСКА|ОБРАЗ.iso ПАПКА_КАРТИНОК [--scale ПРОЦЕНТ] [--payload ПАПКА]\n"
    "                                                                (только Linux)\n"
    "      Запускает меню диска (программы из payload) на своём X-сервере (Xvfb) и\n"
    "      сохраняет снимки главного окна: linux-ПРОЦЕНТ.png и, если есть Wine,\n"
    "      windows-ПРОЦЕНТ.png (в своей папке Wine с русской локалью). Масштаб 100–200,\n"
    "      по умолчанию 100. Ничего не оставляет запущенным.\n"
    "  help, --help    эта справка;  --version    версия.\n"
    "\n"
    "Коды завершения:\n"
    "  check: 0 — замечаний нет, 1 — только предупреждения, 2 — есть ошибки.\n"
    "  image, preview: 0 — сделано, 2 — отказ или сбой. Неверные параметры: 2.\n"
    "\n"
    "Переменные окружения:\n"
    "  SKD_PAYLOAD             папка payload, если не задан --payload (иначе payload/\n"
    "                          рядом с skddisc);\n"
    "  SKD_SIGN_PASSWORD_FILE  файл с паролем сертификата (лучше, чем\n"
    "  SKD_SIGN_PASSWORD       пароль в переменной);\n"
    "  SKD_TIMESTAMP_URL       сервер меток времени для подписи;\n"
    "  SKD_PREVIEW_WINEPREFIX  папка Wine для preview (по умолчанию\n"
    "                          ~/.cache/skddisc/wineprefix);\n"
    "  TMPDIR                  папка для временных файлов.\n";

void Print(const std::string& text, bool error = false) { platform::WriteConsoleText(text, error); }

int Run(const std::vector<std::string>& args) {
  std::vector<std::string> plain;
  bool json = false, windowsOnly = false;
  std::string label, payload, cert, scale;
  for (std::size_t i = 0; i < args.size(); ++i) {
    const std::string& a = args[i];
    if (a == "--version") {
      Print(std::string("skddisc ") + SKD_VERSION + "\n");
      return 0;
    }
    if (a == "--help" || a == "-h" || (a == "help" && plain.empty())) {
      Print(std::string(kHelp) + "\n" + kUsage);
      return 0;
    }
    if (a == "--json") {
      json = true;
    } else if (a == "--windows-only") {
      windowsOnly = true;
    } else if ((a == "--label" || a == "--payload" || a == "--cert" || a == "--scale") &&
               i + 1 < args.size()) {
      (a == "--label" ? label : a == "--payload" ? payload : a == "--cert" ? cert : scale) =
          args[++i];
    } else if (a.size() > 2 && a.compare(0, 2, "--") == 0) {
      Print("Неизвестный параметр: " + a + "\n" + kUsage, true);
      return 2;
    } else {
      plain.push_back(a);
    }
  }
  if (plain.size() == 2 && plain[0] == "check") {
    const disc::Report report = disc::CheckDisc(plain[1], {windowsOnly});
    Print(json ? disc::FormatJson(report) : disc::FormatText(report));
    return report.ExitStatus();
  }
#ifndef _WIN32
  if (plain.size() == 3 && plain[0] == "image") {
    std::string messages;
    const int status =
        disc::MakeImage(plain[1], plain[2], {label, payload, cert, windowsOnly}, messages);
    Print(messages, status != 0);
    return status;
  }
  if (plain.size() == 3 && plain[0] == "preview") {
    std::string messages;
    const int status = disc::MakePreview(plain[1], plain[2], {scale, payload}, messages);
    Print(messages, status != 0);
    return status;
  }
#else
  if (!plain.empty() && (plain[0] == "image" || plain[0] == "preview")) {
    Print("Образ диска и картинки меню делает skddisc для Linux: на Windows есть только "
          "проверка (skddisc check).\n" + std::string(kUsage), true);
    return 2;
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
