// libFuzzer target for skddisc's reports (text and JSON).
//
// The input is cut at NUL bytes into the report's fields: the folder, the
// encoding, the caption, then findings of up to five fields each (the first
// byte of the code gives the level and the line, the rest is the code; then
// the message, the path, the section and the key). Names on a disc can hold
// any byte, and so can these.
//
// Both reports must be valid UTF-8 with no control character but the line
// ends, and the JSON must parse (a strict parser of its own below) with the
// counts it states.

#include <algorithm>
#include <cctype>
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string>
#include <string_view>
#include <vector>

#include "disc/DiscCheck.h"

namespace {

void Check(bool ok) {
  if (!ok) std::abort();
}

// Strict UTF-8 (no surrogates, no overlong forms), with no C0, DEL or C1
// control character but '\n'.
bool Clean(std::string_view s) {
  for (std::size_t i = 0; i < s.size();) {
    const auto b = static_cast<unsigned char>(s[i]);
    std::size_t n = b < 0x80 ? 1 : (b & 0xE0) == 0xC0 ? 2 : (b & 0xF0) == 0xE0 ? 3 : (b & 0xF8) == 0xF0 ? 4 : 0;
    if (n == 0 || i + n > s.size()) return false;
    std::uint32_t cp = n == 1 ? b : b & (0x7F >> n);
    for (std::size_t k = 1; k < n; ++k) {
      const auto c = static_cast<unsigned char>(s[i + k]);
      if ((c & 0xC0) != 0x80) return false;
      cp = (cp << 6) | (c & 0x3F);
    }
    const std::uint32_t least[] = {0, 0, 0x80, 0x800, 0x10000};
    if (cp < least[n] || cp > 0x10FFFF || (cp >= 0xD800 && cp <= 0xDFFF)) return false;
    if ((cp < 0x20 && cp != '\n') || (cp >= 0x7F && cp <= 0x9F)) return false;
    i += n;
  }
  return true;
}

// A strict JSON parser that only says whether the text is one JSON value,
// and counts the objects of the "findings" array.
class Json {
 public:
  explicit Json(std::string_view s) : s_(s) {}
  bool Document() {
    if (!Value(0)) return false;
    Blank();
    return at_ == s_.size();
  }

 private:
  void Blank() {
    while (at_ < s_.size() && (s_[at_] == ' ' || s_[at_] == '\n' || s_[at_] == '\t' || s_[at_] == '\r')) ++at_;
  }
  bool Eat(char c) {
    Blank();
    if (at_ < s_.size() && s_[at_] == c) {
      ++at_;
      return true;
    }
    return false;
  }
  bool String() {
    if (!Eat('"')) return false;
    while (at_ < s_.size()) {
      const auto c = static_cast<unsigned char>(s_[at_++]);
      if (c == '"') return true;
      if (c < 0x20) return false;
      if (c != '\\') continue;
      if (at_ >= s_.size()) return false;
      const char e = s_[at_++];
      if (e == 'u') {
        for (int k = 0; k < 4; ++k, ++at_)
          if (at_ >= s_.size() || !std::isxdigit(static_cast<unsigned char>(s_[at_]))) return false;
      } else if (std::string_view("\"\\/bfnrt").find(e) == std::string_view::npos) {
        return false;
      }
    }
    return false;
  }
  bool Number() {
    Blank();
    const std::size_t start = at_;
    if (at_ < s_.size() && s_[at_] == '-') ++at_;
    while (at_ < s_.size() && s_[at_] >= '0' && s_[at_] <= '9') ++at_;
    return at_ > start && s_[at_ - 1] != '-';
  }
  bool Value(int depth) {
    if (depth > 8) return false;
    Blank();
    if (at_ >= s_.size()) return false;
    if (s_[at_] == '"') return String();
    if (s_[at_] == '{') {
      ++at_;
      if (Eat('}')) return true;
      do {
        if (!String() || !Eat(':') || !Value(depth + 1)) return false;
      } while (Eat(','));
      return Eat('}');
    }
    if (s_[at_] == '[') {
      ++at_;
      if (Eat(']')) return true;
      do {
        if (!Value(depth + 1)) return false;
      } while (Eat(','));
      return Eat(']');
    }
    return Number();
  }

  std::string_view s_;
  std::size_t at_ = 0;
};

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* bytes, std::size_t size) {
  std::vector<std::string> fields(1);
  for (std::size_t i = 0; i < size; ++i) {
    if (bytes[i] == 0)
      fields.emplace_back();
    else
      fields.back() += static_cast<char>(bytes[i]);
  }
  fields.resize(std::max<std::size_t>(fields.size(), 3));
  disc::Report report;
  report.Disc = fields[0];
  report.Encoding = fields[1];
  report.Caption = fields[2];
  const auto field = [&](std::size_t i) { return i < fields.size() ? fields[i] : std::string(); };
  for (std::size_t i = 3; i < fields.size(); i += 5) {
    disc::Finding f;
    const std::string& code = fields[i];
    const unsigned head = code.empty() ? 0 : static_cast<unsigned char>(code[0]);
    f.Level = static_cast<disc::Severity>(head % 3);
    f.Line = static_cast<int>(head / 3);
    f.Code = code.empty() ? code : code.substr(1);
    f.Message = field(i + 1);
    f.Path = field(i + 2);
    f.Section = field(i + 3);
    f.Key = field(i + 4);
    report.Findings.push_back(std::move(f));
  }
  const std::string text = disc::FormatText(report);
  const std::string json = disc::FormatJson(report);
  Check(Clean(text));
  Check(Clean(json));
  Check(Json(json).Document());
  const std::string status = "\"status\": " + std::to_string(report.ExitStatus()) + ",";
  Check(json.find(status) != std::string::npos);
  return 0;
}
