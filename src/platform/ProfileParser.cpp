#include "platform/ProfileParser.h"

#include "platform/Profile.h"
#include "platform/TextDecode.h"

namespace platform {
namespace {

using Text = std::u16string_view;

// Ctrl-Z is the DOS end-of-file mark; Windows treats it as a blank here.
bool IsBlank(char16_t c) {
  return c == u' ' || c == u'\t' || c == u'\v' || c == u'\f' || c == 0x1A;
}

Text TrimLeft(Text s) {
  std::size_t i = 0;
  while (i < s.size() && IsBlank(s[i])) ++i;
  return s.substr(i);
}

Text TrimRight(Text s) {
  std::size_t n = s.size();
  while (n > 0 && IsBlank(s[n - 1])) --n;
  return s.substr(0, n);
}

Text Trim(Text s) { return TrimRight(TrimLeft(s)); }

// The API hands names and values around as C strings.
Text CutAtNul(Text s) { return s.substr(0, s.find(u'\0')); }

// Lower case for the scripts a setup file of ours may name things in:
// Latin with Latin-1 and Latin Extended-A, basic Greek, Cyrillic.
char16_t Fold(char16_t c) {
  const auto up = [c](int d) { return static_cast<char16_t>(c + d); };
  const bool even = (c & 1) == 0;
  if (c < 0x80) return (c >= u'A' && c <= u'Z') ? up(0x20) : c;
  if (c >= 0xC0 && c <= 0xDE && c != 0xD7) return up(0x20);
  if (c < 0x100) return c;
  if (c <= 0x17F) {
    if (c <= 0x12F || (c >= 0x132 && c <= 0x137) || (c >= 0x14A && c <= 0x177))
      return even ? up(1) : c;
    if ((c >= 0x139 && c <= 0x148) || (c >= 0x179 && c <= 0x17E)) return even ? c : up(1);
    if (c == 0x178) return 0xFF;
    return c;  // dotted/dotless i and the like stay as they are
  }
  if (c >= 0x391 && c <= 0x3AB && c != 0x3A2) return up(0x20);
  if (c >= 0x400 && c <= 0x40F) return up(0x50);
  if (c >= 0x410 && c <= 0x42F) return up(0x20);
  if ((c >= 0x460 && c <= 0x481) || (c >= 0x48A && c <= 0x4BF) || (c >= 0x4D0 && c <= 0x52F))
    return even ? up(1) : c;
  if (c == 0x4C0) return 0x4CF;
  if (c >= 0x4C1 && c <= 0x4CE) return even ? c : up(1);
  return c;
}

bool EqualNoCase(Text a, Text b) {
  if (a.size() != b.size()) return false;
  for (std::size_t i = 0; i < a.size(); ++i)
    if (a[i] != b[i] && Fold(a[i]) != Fold(b[i])) return false;
  return true;
}

}  // namespace

bool ProfileNamesEqual(Text a, Text b) { return EqualNoCase(a, b); }

std::u16string ProfileNameKey(Text name) {
  std::u16string key(name);
  for (char16_t& c : key) c = Fold(c);
  return key;
}

// What the API copies into a caller's buffer of kProfileValueMax + 1 units.
// It drops the opening quote, copies what fits, then drops the last unit
// copied if the rest would have fitted: so a value cut right at its closing
// quote loses one more unit, and a cut may split a surrogate pair (the half
// becomes U+FFFD in UTF-8).
std::string FinishProfileValue(Text value, bool* cut) {
  const bool quoted =
      value.size() > 1 && (value[0] == u'"' || value[0] == u'\'') && value.back() == value[0];
  if (quoted) value.remove_prefix(1);
  const bool dropLast = quoted && value.size() <= kProfileValueMax + 1;
  if (cut) *cut = value.size() > kProfileValueMax + (dropLast ? 1 : 0);
  value = value.substr(0, kProfileValueMax);
  if (dropLast) value.remove_suffix(1);
  return Utf16ToUtf8(value);
}

bool ProfileLines::Next(ProfileLine& out) {
  // Lines end at CR, LF or both; empty lines mean nothing to the reader.
  while (pos_ < text_.size()) {
    std::size_t end = text_.find_first_of(u"\r\n", pos_);
    if (end == Text::npos) end = text_.size();
    const Text line = Trim(text_.substr(pos_, end - pos_));
    const std::size_t number = number_;
    pos_ = end + 1;
    if (end < text_.size()) {
      ++number_;
      if (text_[end] == u'\r' && pos_ < text_.size() && text_[pos_] == u'\n') ++pos_;
    }
    if (line.empty()) continue;

    out = ProfileLine{};
    out.Number = number;
    out.Text = line;
    if (line[0] == u'[') {
      const std::size_t close = line.rfind(u']');
      // No closing bracket: an ordinary line.
      if (close != Text::npos) {
        out.IsSection = true;
        out.Name = CutAtNul(Trim(line.substr(1, close - 1)));
        return true;
      }
    }
    // A ';' line is an ordinary line too: Windows finds a key named ";name"
    // like any other.
    const std::size_t eq = line.find(u'=');
    out.HasEquals = eq != Text::npos;
    out.Name = CutAtNul(out.HasEquals ? TrimRight(line.substr(0, eq)) : line);
    if (out.HasEquals) out.Value = CutAtNul(TrimLeft(line.substr(eq + 1)));
    return true;
  }
  return false;
}

std::string LookupProfileValue(std::string_view bytes, std::string_view section,
                               std::string_view key) {
  return LookupProfileText(DecodeProfileText(bytes), section, key);
}

std::string LookupProfileText(std::u16string_view content, std::string_view section,
                              std::string_view key) {
  const std::u16string sectionText = Utf8ToUtf16(section);
  const std::u16string keyText = Utf8ToUtf16(key);
  // The API takes C strings: a NUL ends a name before it is trimmed.
  const Text wantSection = Trim(CutAtNul(sectionText));
  const Text wantKey = Trim(CutAtNul(keyText));

  // The lines before the first header form a section with an empty name.
  bool inSection = wantSection.empty();
  ProfileLines lines(content);
  for (ProfileLine line; lines.Next(line);) {
    if (line.IsSection) {
      // Only the first section of a name counts, so once past it we are done.
      if (inSection) return {};
      inSection = EqualNoCase(line.Name, wantSection);
      continue;
    }
    if (!inSection || !EqualNoCase(line.Name, wantKey)) continue;
    // A line without '=' is a key without a value, and it hides later ones.
    if (!line.HasEquals) return {};
    return FinishProfileValue(line.Value);
  }
  return {};
}

ProfileIndex::ProfileIndex(std::u16string text) : text_(std::move(text)) {
  ProfileLines lines(text_);
  for (ProfileLine line; lines.Next(line);)
    if (line.IsSection)
      headers_.push_back({static_cast<std::size_t>(line.Text.data() - text_.data()),
                          static_cast<std::size_t>(line.Name.data() - text_.data()),
                          line.Name.size()});
}

std::string ProfileIndex::Lookup(std::string_view section, std::string_view key) const {
  const std::u16string sectionText = Utf8ToUtf16(section);
  const Text want = Trim(CutAtNul(sectionText));
  const Text text = text_;
  // Before the first header: the whole text, which the lookup leaves there.
  if (want.empty()) return LookupProfileText(text, section, key);
  // From the first header of that name on: only its lines are read.
  for (const Header& h : headers_)
    if (EqualNoCase(text.substr(h.NameAt, h.NameSize), want))
      return LookupProfileText(text.substr(h.Start), section, key);
  return {};
}

}  // namespace platform
