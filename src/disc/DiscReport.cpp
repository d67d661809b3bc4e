#include <algorithm>
#include <cstdio>

#include "disc/DiscCheck.h"
#include "platform/TextDecode.h"

namespace disc {
namespace {

// A line of setup.ini, the disc's file a finding is about, or setup.ini as a whole.
std::string Where(const Finding& f);

// Valid UTF-8 whatever came in (a folder name from the command line may not
// be), with every control character (C0, DEL, C1) written as \x1B in the
// text, \u001b in JSON: a terminal must never get one from a disc.
std::string Clean(const std::string& s, bool json) {
  const std::u16string text = platform::Utf8ToUtf16(s);
  std::string out;
  std::size_t run = 0;  // start of the plain characters not yet copied
  const auto flush = [&](std::size_t end) {
    out += platform::Utf16ToUtf8(std::u16string_view(text).substr(run, end - run));
  };
  for (std::size_t i = 0; i < text.size(); ++i) {
    const char16_t c = text[i];
    const bool control = c < 0x20 || (c >= 0x7F && c <= 0x9F);
    if (!control && !(json && (c == u'"' || c == u'\\'))) continue;
    flush(i);
    run = i + 1;
    char buffer[8];
    if (!control)
      buffer[0] = '\\', buffer[1] = static_cast<char>(c), buffer[2] = '\0';
    else
      std::snprintf(buffer, sizeof buffer, json ? "\\u%04x" : "\\x%02X", static_cast<unsigned>(c));
    out += buffer;
  }
  flush(text.size());
  return out;
}

std::string JsonString(const std::string& s) { return "\"" + Clean(s, true) + "\""; }

std::string Shown(const std::string& s) { return Clean(s, false); }

std::string Where(const Finding& f) {
  return f.Line ? "строка " + std::to_string(f.Line) : f.Path.empty() ? "setup.ini" : Shown(f.Path);
}

const char* LevelName(Severity level) {
  return level == Severity::Error ? "error" : level == Severity::Warning ? "warning" : "info";
}

}  // namespace

int Report::Count(Severity level) const {
  return static_cast<int>(std::count_if(Findings.begin(), Findings.end(),
                                        [&](const Finding& f) { return f.Level == level; }));
}

int Report::ExitStatus() const {
  return Count(Severity::Error) ? 2 : Count(Severity::Warning) ? 1 : 0;
}

std::string FormatText(const Report& report) {
  std::string out = "Диск: " + Shown(report.Disc) + "\n\nМеню покажет и запустит:\n";
  for (const Finding& f : report.Findings)
    if (f.Level == Severity::Info) out += "  " + Where(f) + ": " + Shown(f.Message) + "\n";
  std::vector<const Finding*> problems;
  for (const Finding& f : report.Findings)
    if (f.Level != Severity::Info) problems.push_back(&f);
  std::stable_sort(problems.begin(), problems.end(),
                   [](const Finding* a, const Finding* b) { return a->Line < b->Line; });
  if (!problems.empty()) out += "\nЗамечания:\n";
  for (const Finding* f : problems)
    out += "  " + Where(*f) + ": " +
           (f->Level == Severity::Error ? "ошибка: " : "предупреждение: ") + Shown(f->Message) + "\n";
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
           ", \"section\": " + JsonString(f.Section) + ", \"key\": " + JsonString(f.Key) +
           ", \"path\": " + JsonString(f.Path) + ", \"message\": " + JsonString(f.Message) + "}";
    separator = ",\n  ";
  }
  return out + "\n]}\n";
}

}  // namespace disc
