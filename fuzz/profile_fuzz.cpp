// libFuzzer target for the setup.ini reader.
//
// Each input is read twice over: as a whole file, looked up with a few fixed
// names (so that plain ini texts make useful seeds), and split up as byte 0
// giving the lengths of the section and key arguments (3 bits each, short
// enough to hit names in the file), then the section, the key and the file.
//
// Besides crashes and sanitizer reports it checks what callers rely on
// (valid UTF-8, at most 2047 UTF-16 units, no NUL) and, when both arguments
// are ASCII, compares against a slow, obvious reader written separately below.

#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "platform/ProfileParser.h"
#include "platform/TextDecode.h"
#include "StrictUtf8.h"

namespace {

constexpr std::size_t kMax = 2047;

void Check(bool ok) {
  if (!ok) std::abort();
}

// Length in UTF-16 units, or nullopt if `s` is not valid UTF-8.
std::optional<std::size_t> Utf16Length(std::string_view s) {
  const auto units = fuzzref::StrictUtf8(s);
  if (!units) return std::nullopt;
  return units->size();
}

bool HasLoneSurrogate(std::u16string_view s) {
  for (std::size_t i = 0; i < s.size(); ++i) {
    if (s[i] >= 0xD800 && s[i] <= 0xDBFF && i + 1 < s.size() && s[i + 1] >= 0xDC00 &&
        s[i + 1] <= 0xDFFF) {
      ++i;
    } else if (s[i] >= 0xD800 && s[i] <= 0xDFFF) {
      return true;
    }
  }
  return false;
}

// --- The slow reader: split everything up front, then look things up. ---

bool Blank(char16_t c) { return c == ' ' || c == '\t' || c == '\v' || c == '\f' || c == 0x1A; }

std::u16string Trim(std::u16string s) {
  while (!s.empty() && Blank(s.back())) s.pop_back();
  std::size_t i = 0;
  while (i < s.size() && Blank(s[i])) ++i;
  return s.substr(i);
}

std::u16string CString(std::u16string s) {
  const auto nul = s.find(u'\0');
  if (nul != std::u16string::npos) s.resize(nul);
  return s;
}

std::u16string AsciiLower(std::u16string s) {
  for (auto& c : s)
    if (c >= 'A' && c <= 'Z') c = static_cast<char16_t>(c + 32);
  return s;
}

struct Entry {
  int section;
  std::u16string name;
  std::u16string value;
  bool hasValue;
};

std::u16string Reference(std::u16string text, std::string_view section, std::string_view key) {
  // The API takes C strings: cut at NUL, then trim.
  const std::u16string wantSection =
      AsciiLower(Trim(CString(std::u16string(section.begin(), section.end()))));
  const std::u16string wantKey = AsciiLower(Trim(CString(std::u16string(key.begin(), key.end()))));

  for (auto& c : text)
    if (c == '\r') c = '\n';
  std::vector<std::u16string> lines;
  std::u16string line;
  for (char16_t c : text) {
    if (c == '\n') {
      lines.push_back(line);
      line.clear();
    } else {
      line += c;
    }
  }
  lines.push_back(line);

  // Lines before the first header belong to a section named "".
  std::vector<std::u16string> sections = {u""};
  std::vector<Entry> entries;
  int current = 0;
  for (const auto& raw : lines) {
    const std::u16string t = Trim(raw);
    if (t.empty()) continue;
    const auto close = t.rfind(u']');
    if (t[0] == '[' && close != std::u16string::npos) {
      sections.push_back(AsciiLower(CString(Trim(t.substr(1, close - 1)))));
      current = static_cast<int>(sections.size()) - 1;
      continue;
    }
    // ';' lines are keys like any other; a line without '=' is a key
    // without a value.
    const auto eq = t.find(u'=');
    if (eq == std::u16string::npos) {
      entries.push_back({current, AsciiLower(CString(t)), {}, false});
      continue;
    }
    entries.push_back({current, AsciiLower(CString(Trim(t.substr(0, eq)))),
                       CString(Trim(t.substr(eq + 1))), true});
  }

  int target = -1;
  for (std::size_t i = 0; i < sections.size() && target < 0; ++i)
    if (sections[i] == wantSection) target = static_cast<int>(i);
  for (const Entry& e : entries) {
    if (e.section != target || e.name != wantKey) continue;
    if (!e.hasValue) return {};
    std::u16string v = e.value;
    const bool quoted = v.size() >= 2 && (v[0] == '"' || v[0] == '\'') && v.back() == v[0];
    if (quoted) v.erase(0, 1);
    // Windows copies what fits, then drops the last unit copied if the value
    // with its closing quote would have fitted in 2048 units.
    const bool dropLast = quoted && v.size() <= kMax + 1;
    if (v.size() > kMax) v.resize(kMax);
    if (dropLast) v.pop_back();
    return v;
  }
  return {};
}

bool IsAscii(std::string_view s) {
  for (char c : s)
    if (static_cast<unsigned char>(c) >= 0x80) return false;
  return true;
}

void CheckLookup(std::string_view file, std::string_view section, std::string_view key) {
  const std::string value = platform::LookupProfileValue(file, section, key);
  const auto units = Utf16Length(value);
  Check(units.has_value());
  Check(*units <= kMax);
  Check(value.find('\0') == std::string::npos);
  // The kept file's index answers alike.
  Check(platform::ProfileIndex(platform::DecodeProfileText(file)).Lookup(section, key) == value);
  if (IsAscii(section) && IsAscii(key)) {
    Check(platform::Utf16ToUtf8(Reference(platform::DecodeProfileText(file), section, key)) ==
          value);
  }
}

void CheckConversions(std::string_view input) {
  const std::u16string decoded = platform::DecodeProfileText(input);
  const std::string decodedUtf8 = platform::Utf16ToUtf8(decoded);
  Check(Utf16Length(decodedUtf8).has_value());
  if (!HasLoneSurrogate(decoded)) Check(platform::Utf8ToUtf16(decodedUtf8) == decoded);

  const std::u16string wide = platform::Utf8ToUtf16(input);
  Check(!HasLoneSurrogate(wide));
  const std::string back = platform::Utf16ToUtf8(wide);
  Check(Utf16Length(back) == wide.size());
  if (Utf16Length(input).has_value()) {
    Check(back == input);
    const bool bom = input.substr(0, 2) == "\xFF\xFE" || input.substr(0, 2) == "\xFE\xFF" ||
                     input.substr(0, 3) == "\xEF\xBB\xBF";
    if (!bom) Check(decoded == wide);
  }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  const std::string_view input(reinterpret_cast<const char*>(data), size);
  CheckConversions(input);

  static constexpr std::string_view kNames[][2] = {
      {"prg", "name"}, {"PRG", "Path"},    {"s", "k"},
      {"a]b", "k"},    {" prg\t", "name"}, {"\xD0\x9F\xD0\xA0\xD0\x93", "\xD0\xBA"},  // ПРГ, к
  };
  for (const auto& n : kNames) CheckLookup(input, n[0], n[1]);

  if (size == 0) return 0;
  std::string_view rest = input.substr(1);
  const std::size_t sectionLen = std::min<std::size_t>(input[0] & 7, rest.size());
  const std::string_view section = rest.substr(0, sectionLen);
  rest.remove_prefix(sectionLen);
  const std::size_t keyLen = std::min<std::size_t>((input[0] >> 3) & 7, rest.size());
  const std::string_view key = rest.substr(0, keyLen);
  rest.remove_prefix(keyLen);
  CheckLookup(rest, section, key);
  return 0;
}
