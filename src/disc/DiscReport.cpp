#include <algorithm>
#include <cstdio>

#include "disc/DiscCheck.h"
#include "platform/TextDecode.h"

namespace disc {
namespace {

std::string Where(int line) { return line ? "строка " + std::to_string(line) : "setup.ini"; }

// Valid UTF-8 whatever came in (a folder name from the command line may not be).
std::string JsonString(const std::string& s) {
  const std::string clean = platform::Utf16ToUtf8(platform::Utf8ToUtf16(s));
  std::string out = "\"";
  for (const char c : clean) {
    const auto u = static_cast<unsigned char>(c);
    if (c == '"' || c == '\\') {
      out += '\\';
      out += c;
    } else if (u < 0x20) {
      char buffer[8];
      std::snprintf(buffer, sizeof buffer, "\\u%04x", u);
      out += buffer;
    } else {
      out += c;
    }
  }
  return out + "\"";
}

const char* LevelName(Severity level) {
  return level == Severity::Error ? "error" : level == Severity::Warning ? "warning" : "info";
}

}  // namespace

std::string FormatText(const Report& report) {
  std::string out = "Диск: " + report.Disc + "\n\nМеню покажет и запустит:\n";
  for (const Finding& f : report.Findings)
    if (f.Level == Severity::Info) out += "  " + Where(f.Line) + ": " + f.Message + "\n";
  std::vector<const Finding*> problems;
  for (const Finding& f : report.Findings)
    if (f.Level != Severity::Info) problems.push_back(&f);
  std::stable_sort(problems.begin(), problems.end(),
                   [](const Finding* a, const Finding* b) { return a->Line < b->Line; });
  if (!problems.empty()) out += "\nЗамечания:\n";
  for (const Finding* f : problems)
    out += "  " + Where(f->Line) + ": " +
           (f->Level == Severity::Error ? "ошибка: " : "предупреждение: ") + f->Message + "\n";
  out += "\nИтог: ошибок " + std::to_string(report.Count(Severity::Error)) +
         ", предупреждений " + std::to_string(report.Count(Severity::Warning)) + ".\n";
  return out;
}

std::string FormatJson(const Report& report) {
  std::string out = "{\"disc\": " + JsonString(report.Disc) +
                    ", \"encoding\": " + JsonString(report.Encoding) +
                    ", \"caption\": " + JsonString(report.Caption) +
                    ", \"errors\": " + std::to_string(report.Count(Severity::Error)) +
                    ", \"warnings\": " + std::to_string(report.Count(Severity::Warning)) +
                    ", \"status\": " + std::to_string(report.ExitStatus()) + ", \"findings\": [";
  const char* separator = "\n  ";
  for (const Finding& f : report.Findings) {
    out += separator;
    out += "{\"severity\": \"" + std::string(LevelName(f.Level)) +
           "\", \"line\": " + std::to_string(f.Line) + ", \"code\": " + JsonString(f.Code) +
           ", \"message\": " + JsonString(f.Message) + "}";
    separator = ",\n  ";
  }
  return out + "\n]}\n";
}

}  // namespace disc
