#pragma once
// The disc authors' check: reads a disc folder's setup.ini through the
// menu's own readers and says, in Russian, what the menu will show and start
// and what in the file or the folder it will stumble on.

#include <string>
#include <vector>

namespace disc {

enum class Severity { Info, Warning, Error };

struct Finding {
  Severity Level = Severity::Info;
  int Line = 0;          // line of setup.ini, 1-based; 0: the file as a whole, or a file of the disc
  std::string Code;      // stable name for tools: "unknown-key", "installer", ...
  std::string Message;   // Russian, UTF-8
  std::string Section;   // the setup.ini section it is about, as the known name; "" none
  std::string Key;       // its key; "" none
  std::string Path;      // the disc's file it is about, relative, with '/'; "" none
};

struct CheckOptions {
  // The image leaves the Linux menu out: nothing on the disc starts there.
  bool WindowsOnly = false;
};

struct Report {
  std::string Disc;       // the folder as given
  std::string Encoding;   // "utf-16le", "utf-16be", "utf-8-bom", "utf-8", "ascii", "cp1251"; "" unread
  std::string Caption;    // the window caption as the menu shows it
  std::vector<Finding> Findings;

  int Count(Severity level) const;
  // 0 clean, 1 warnings only, 2 errors.
  int ExitStatus() const;
};

// Never throws except std::bad_alloc.
Report CheckDisc(const std::string& dir, const CheckOptions& options = {});

// The report for people (what the menu shows, then the problems by line) and
// for tools (one JSON object).
std::string FormatText(const Report& report);
std::string FormatJson(const Report& report);

}  // namespace disc
