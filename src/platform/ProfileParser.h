#pragma once
// Our own profile reader: the same results as GetPrivateProfileStringW, from
// the raw bytes of a file. Portable, so it also runs on Windows to be compared
// against the system's reader.

#include <cstddef>
#include <string>
#include <string_view>
#include <vector>

namespace platform {

// Looks `key` up in `section` of the file content `bytes` (any encoding that
// DecodeProfileText accepts). Returns the value as UTF-8, "" when absent.
// Never throws except std::bad_alloc.
std::string LookupProfileValue(std::string_view bytes, std::string_view section,
                               std::string_view key);

// The same on text DecodeProfileText has already decoded.
std::string LookupProfileText(std::u16string_view content, std::string_view section,
                              std::string_view key);

// Decoded text kept for many lookups: where each section header stands, so
// that a lookup reads only the lines of its own section. The same answers
// as LookupProfileText on the text.
class ProfileIndex {
 public:
  explicit ProfileIndex(std::u16string text);
  std::string Lookup(std::string_view section, std::string_view key) const;

 private:
  struct Header {
    std::size_t Start;  // of the header line
    std::size_t NameAt, NameSize;
  };
  std::u16string text_;
  std::vector<Header> headers_;  // in file order
};

// One non-empty line of decoded profile text, as the reader splits it.
struct ProfileLine {
  std::size_t Number = 0;  // 1-based; CR LF ends one line, so do a lone CR or LF
  bool IsSection = false;  // "[name]" (text after the last ']' is ignored)
  std::u16string_view Text;   // the line without surrounding blanks
  std::u16string_view Name;   // section or key name, trimmed, cut at a NUL
  bool HasEquals = false;     // key lines only
  std::u16string_view Value;  // key lines: raw value (quotes kept), cut at a NUL
};

// Walks the lines of decoded text; Next() is false at the end.
class ProfileLines {
 public:
  explicit ProfileLines(std::u16string_view text) : text_(text) {}
  bool Next(ProfileLine& line);

 private:
  std::u16string_view text_;
  std::size_t pos_ = 0;
  std::size_t number_ = 1;
};

// Section and key names compare without regard to letter case.
bool ProfileNamesEqual(std::u16string_view a, std::u16string_view b);
// The same for every name ProfileNamesEqual takes as equal (a hash key).
std::u16string ProfileNameKey(std::u16string_view name);

// What the API hands back for a raw value: quotes dropped, cut to
// kProfileValueMax units. Sets `cut` when the value did not fit.
std::string FinishProfileValue(std::u16string_view raw, bool* cut = nullptr);

}  // namespace platform
