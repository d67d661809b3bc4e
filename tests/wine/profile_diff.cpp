// Differential test of our setup.ini reader against the system's
// GetPrivateProfileStringW. Writes its corpus into a temp directory, looks
// every (section, key) pair of every file up through both readers and lists
// each disagreement. Exit code 0: no disagreement; 1: some; 2: could not run.
//
//   profile_diff.exe [--seed N] [--random N] [--require-acp CP] [--keep] [--verbose]

#include "platform/win32/Win.h"

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <map>
#include <random>
#include <string>
#include <string_view>
#include <vector>

#include "platform/Profile.h"
#include "platform/ProfileParser.h"
#include "platform/TextDecode.h"

namespace {

using namespace std::string_literals;
using U16 = std::u16string;

constexpr DWORD kBufferUnits = 2048;  // what the menu passes

enum class Enc { Ascii, Cp1251, Utf8, Utf8Bom, Utf16Le, Utf16Be };

struct Lookup {
  U16 section, key;
  // Looks a name of the file up with some non-ASCII letters in the other case.
  bool nonAsciiCase = false;
};

struct Sample {
  std::string name;
  std::string bytes;
  bool missing = false;
  std::vector<Lookup> lookups;
};

// --- text helpers -----------------------------------------------------------

U16 FromUtf8(std::string_view s) {
  if (s.empty()) return {};
  const int n = MultiByteToWideChar(CP_UTF8, 0, s.data(), static_cast<int>(s.size()), nullptr, 0);
  std::wstring w(static_cast<std::size_t>(n), L'\0');
  MultiByteToWideChar(CP_UTF8, 0, s.data(), static_cast<int>(s.size()), w.data(), n);
  return U16(w.begin(), w.end());
}

std::string ToCodePage(const U16& s, UINT cp) {
  if (s.empty()) return {};
  const auto* w = reinterpret_cast<const wchar_t*>(s.data());
  const int len = static_cast<int>(s.size());
  const int n = WideCharToMultiByte(cp, 0, w, len, nullptr, 0, nullptr, nullptr);
  std::string out(static_cast<std::size_t>(n), '\0');
  WideCharToMultiByte(cp, 0, w, len, out.data(), n, nullptr, nullptr);
  return out;
}

std::string Utf16Bytes(const U16& s, bool bigEndian) {
  std::string out = bigEndian ? "\xFE\xFF" : "\xFF\xFE";
  for (char16_t c : s) {
    const char hi = static_cast<char>(c >> 8), lo = static_cast<char>(c & 0xFF);
    out += bigEndian ? hi : lo;
    out += bigEndian ? lo : hi;
  }
  return out;
}

std::string Encode(const U16& text, Enc enc) {
  switch (enc) {
    case Enc::Ascii:
    case Enc::Utf8:
      return ToCodePage(text, CP_UTF8);
    case Enc::Cp1251:
      return ToCodePage(text, 1251);
    case Enc::Utf8Bom:
      return "\xEF\xBB\xBF" + ToCodePage(text, CP_UTF8);
    case Enc::Utf16Le:
      return Utf16Bytes(text, false);
    case Enc::Utf16Be:
      return Utf16Bytes(text, true);
  }
  return {};
}

const char* EncName(Enc enc) {
  switch (enc) {
    case Enc::Ascii:
      return "ascii";
    case Enc::Cp1251:
      return "cp1251";
    case Enc::Utf8:
      return "utf8";
    case Enc::Utf8Bom:
      return "utf8bom";
    case Enc::Utf16Le:
      return "utf16le";
    case Enc::Utf16Be:
      return "utf16be";
  }
  return "?";
}

// Printable ASCII as is, everything else as an escape; long runs shortened.
std::string Escape(const U16& s) {
  std::string out = "\"";
  std::size_t shown = 0;
  for (std::size_t i = 0; i < s.size(); ++i) {
    // Long repeats of one unit say more as a count.
    std::size_t run = 1;
    while (i + run < s.size() && s[i + run] == s[i]) ++run;
    char buf[32];
    const char16_t c = s[i];
    if (c >= 0x20 && c < 0x7F && c != '"' && c != '\\') {
      buf[0] = static_cast<char>(c);
      buf[1] = 0;
    } else if (c < 0x100) {
      std::snprintf(buf, sizeof buf, "\\x%02X", static_cast<unsigned>(c));
    } else {
      std::snprintf(buf, sizeof buf, "\\u%04X", static_cast<unsigned>(c));
    }
    if (run > 8) {
      out += buf;
      out += "{x" + std::to_string(run) + "}";
      i += run - 1;
    } else {
      out += buf;
    }
    if (++shown > 160) {
      out += "...(" + std::to_string(s.size()) + " units)";
      break;
    }
  }
  return out + "\"";
}

std::string Escape8(const std::string& utf8) { return Escape(FromUtf8(utf8)); }

bool IsValidUtf8(std::string_view s) {
  return s.empty() || MultiByteToWideChar(CP_UTF8, MB_ERR_INVALID_CHARS, s.data(),
                                          static_cast<int>(s.size()), nullptr, 0) > 0;
}

bool HasBom(std::string_view b) {
  return b.substr(0, 2) == "\xFF\xFE" || b.substr(0, 2) == "\xFE\xFF" ||
         b.substr(0, 3) == "\xEF\xBB\xBF";
}

// --- the corpus -------------------------------------------------------------

class Corpus {
 public:
  std::vector<Sample> samples;

  // `text` and the lookups are UTF-8 source text.
  Sample& Add(const std::string& name, const std::string& text, Enc enc,
              const std::vector<std::pair<std::string, std::string>>& lookups) {
    return AddBytes(name + "." + EncName(enc), Encode(FromUtf8(text), enc), lookups);
  }

  Sample& AddBytes(const std::string& name, std::string bytes,
                   const std::vector<std::pair<std::string, std::string>>& lookups) {
    Sample s;
    s.name = Number() + name + ".ini";
    s.bytes = std::move(bytes);
    for (const auto& [sec, key] : lookups) s.lookups.push_back({FromUtf8(sec), FromUtf8(key)});
    samples.push_back(std::move(s));
    return samples.back();
  }

  // The same text in every encoding that can hold it.
  void AddAll(const std::string& name, const std::string& text,
              const std::vector<std::pair<std::string, std::string>>& lookups, bool ascii = true) {
    for (Enc e : {Enc::Utf8Bom, Enc::Utf16Le, Enc::Utf16Be}) Add(name, text, e, lookups);
    Add(name, text, ascii ? Enc::Ascii : Enc::Cp1251, lookups);
  }

 private:
  std::string Number() const {
    char buf[16];
    std::snprintf(buf, sizeof buf, "%04zu-", samples.size());
    return buf;
  }
};

using Lookups = std::vector<std::pair<std::string, std::string>>;

Lookups KeysOf(const std::string& section, std::initializer_list<const char*> keys) {
  Lookups out;
  for (const char* k : keys) out.emplace_back(section, k);
  return out;
}

std::string Repeat(std::string_view unit, std::size_t n) {
  std::string s;
  for (std::size_t i = 0; i < n; ++i) s += unit;
  return s;
}

void AddHandWritten(Corpus& c) {
  c.AddAll("quotes",
           "[q]\r\nd=\"x\"\r\ns='x'\r\nm=\"x'\r\nlone=\"\r\nempty=\"\"\r\ninner=\"a\"b\"\r\n"
           "lone1='\r\nempty1=''\r\nblanks = \" a b \" \r\ntwo=\"\"x\"\"\r\nopen=\"abc\r\n"
           "close=abc\"\r\nmid=a\"b\"\r\nsm='x\"\r\n",
           KeysOf("q", {"d", "s", "m", "lone", "empty", "inner", "lone1", "empty1", "blanks", "two",
                        "open", "close", "mid", "sm"}));

  c.AddAll("blanks",
           "  [ \t blanks \t ]  \n \t name \t= \t value with  inner \t\n\v\fvt\v=\fv\v\f\n"
           "eof=v\x1A\nsp=  \t \n\tpre=\t\tx\n",
           KeysOf("blanks", {"name", "vt", "eof", "sp", "pre", " name ", "\tname"}));
  c.AddAll("blank-args", "[prg]\nname=value\n",
           {{" prg\t", "name"},
            {"prg", "\tname "},
            {"  ", "name"},
            {"prg", " "},
            {"", "name"},
            {"prg", ""}});

  for (const auto& [what, eol] : std::vector<std::pair<std::string, std::string>>{
           {"lf", "\n"}, {"crlf", "\r\n"}, {"cr", "\r"}, {"lfcr", "\n\r"}, {"crcrlf", "\r\r\n"}}) {
    c.AddAll("eol-" + what,
             "[x]" + eol + "[prg]" + eol + "a=1" + eol + eol + "name=value" + eol + "last=z",
             KeysOf("prg", {"a", "name", "last"}));
  }
  c.AddAll("eol-mixed", "[x]\r\n[prg]\ra=1\nname=value\n\rb=2\r\n\n\rc=3",
           KeysOf("prg", {"a", "name", "b", "c"}));

  c.AddAll("duplicates",
           "[prg]\nname=first\nNAME=second\nempty=\nempty=x\n[x]\ny=2\n[prg]\nname=third\n"
           "other=4\n[PRG]\nlate=5\n[ prg ]\nlater=6\n",
           KeysOf("prg", {"name", "empty", "other", "late", "later", "y"}));

  c.AddAll("case-latin", "[PrG]\nNaMe=VaLuE\n[lower]\nkey=1\n",
           {{"prg", "name"}, {"PRG", "NAME"}, {"pRg", "nAmE"}, {"LOWER", "KEY"}, {"lower", "key"}});
  // Cyrillic names, looked up as written and with other letter case.
  const std::string cyr = "[Раздел]\nКлюч=Значение\n[ЁЛКА]\nЁж=1\n[Section]\nИмя=2\n";
  const Lookups cyrExact = {{"Раздел", "Ключ"},
                            {"ЁЛКА", "Ёж"},
                            {"SECTION", "Имя"},
                            {"section", "Имя"},
                            {"Раздел", "Нет"}};
  c.AddAll("case-cyrillic", cyr, cyrExact, false);
  for (Enc e : {Enc::Utf16Le, Enc::Cp1251}) {
    Sample& s = c.Add("case-cyrillic-folded", cyr, e, {});
    for (const auto& [sec, key] : Lookups{{"раздел", "Ключ"},
                                          {"Раздел", "КЛЮЧ"},
                                          {"РАЗДЕЛ", "ключ"},
                                          {"ёлка", "ЁЖ"},
                                          {"Section", "имя"}})
      s.lookups.push_back({FromUtf8(sec), FromUtf8(key), true});
  }
  {
    Sample& s = c.Add("case-latin1", "[ÀÉÎÕÜÞ]\nk=1\n[×]\nk=2\n", Enc::Utf16Le,
                      {{"ÀÉÎÕÜÞ", "k"}, {"÷", "k"}, {"×", "K"}});
    s.lookups.push_back({FromUtf8("àéîõüþ"), u"k", true});
  }

  c.AddAll("comments",
           "[prg]\n;name=commented\nname=value\n \t; spaced = x\nv=a;b ; c\nw=;x\na;b=v\n"
           ";[other]\n[other]\nk=1\n",
           {{"prg", "name"},
            {"prg", ";name"},
            {"prg", "; spaced"},
            {"prg", "spaced"},
            {"prg", "v"},
            {"prg", "w"},
            {"prg", "a;b"},
            {"prg", "a"},
            {"other", "k"},
            {";[other]", "k"},
            {"prg", ";[other]"}});

  c.AddAll("no-equals",
           "[prg]\nbare\nbare=value\ntext with blanks\n  spaced  \nspaced=x\n=novalue\nafter=1\n",
           KeysOf("prg", {"bare", "text with blanks", "text", "spaced", "", "after"}));

  c.AddAll("brackets",
           "[a]b]\nk=1\n[c]d] ; note ] \nk=2\n[prg] trailing text\nk=3\n[e[f]\nk=4\n[g]]\nk=5\n",
           {{"a]b", "k"},
            {"a", "k"},
            {"c]d] ; note", "k"},
            {"c]d", "k"},
            {"prg", "k"},
            {"e[f", "k"},
            {"g]", "k"},
            {"g", "k"}});
  c.AddAll("open-bracket", "[prg]\n[oops\nname=value\n[oops = yes\n[a]\n[prg2\nname=v2\n",
           {{"prg", "name"}, {"prg", "[oops"}, {"prg2", "name"}, {"a", "name"}, {"a", "[prg2"}});
  c.AddAll("header-not-first", "[a]\nx [prg]\nname=value\n []\nk=1\n[]\nk=2\n",
           {{"prg", "name"}, {"a", "name"}, {"a", "x [prg]"}, {"", "k"}, {"a", "k"}});

  c.AddAll("before-sections", "name=value\n=x\n[prg]\nx=1\n",
           {{"prg", "name"}, {"", "name"}, {" ", "name"}, {"prg", "x"}});

  c.AddAll("nul",
           "[prg]\nname=ab\0cd\nz=\0cd\nq=\"ab\0\"\nna\0me=v\n[pr\0g]\nk=1\n[a]\0\n[n]\n\0\nk=2\n"s,
           {{"prg", "name"},
            {"prg", "z"},
            {"prg", "q"},
            {"prg", "na"},
            {"prg", "na\0me"s},
            {"pr", "k"},
            {"n", "k"},
            {"a", "k"}});

  // Values around the 2047-unit cut, ASCII and Cyrillic, bare and quoted.
  for (const char* unit : {"x", "я"}) {
    const bool ascii = unit[0] == 'x';
    for (std::size_t n : {2045u, 2046u, 2047u, 2048u, 5000u}) {
      const std::string v = Repeat(unit, n);
      const std::string text = "[p]\nbare=" + v + "\ndq=\"" + v + "\"\nsq='" + v + "'\nopen=\"" +
                               v + "\nmixed=\"" + v + "'\ncut=\"" + v + "y\"\n";
      c.AddAll("long-" + std::string(ascii ? "ascii-" : "cyr-") + std::to_string(n), text,
               KeysOf("p", {"bare", "dq", "sq", "open", "mixed", "cut"}), ascii);
    }
  }
  {
    const std::string emoji = "\xF0\x9F\x98\x80";  // two UTF-16 units
    const std::string text =
        "[p]\nfits=" + Repeat("x", 2045) + emoji + "z\nsplit=" + Repeat("x", 2046) + emoji +
        "\npairs=" + Repeat(emoji, 3000) + "\nqsplit=\"" + Repeat("x", 2046) + emoji + "\"\n";
    for (Enc e : {Enc::Utf8Bom, Enc::Utf16Le, Enc::Utf16Be})
      c.Add("surrogates-at-cut", text, e, KeysOf("p", {"fits", "split", "pairs", "qsplit"}));
  }

  // Encodings and their edges.
  const std::string ru = "[Программа]\r\nИмя=Значение ☺\r\nЁё=№\r\n";
  const Lookups ruLookups = {{"Программа", "Имя"}, {"Программа", "Ёё"}};
  for (Enc e : {Enc::Utf8Bom, Enc::Utf16Le, Enc::Utf16Be, Enc::Utf8})
    c.Add("encoding", ru, e, ruLookups);
  c.Add("encoding", "[Программа]\r\nИмя=Значение\r\nЁё=№\r\n", Enc::Cp1251, ruLookups);
  c.AddBytes("cp1251-all-high-bytes",
             [] {
               std::string s = "[p]\r\nk=";
               for (int b = 0x80; b <= 0xFF; ++b) s += static_cast<char>(b);
               return s + "\r\nnb\xA0=\xA0v\xA0\r\n";
             }(),
             {{"p", "k"}, {"p", "nb"}, {"p", "nb\xC2\xA0"}});
  c.AddBytes("cp1251-looks-like-utf8", "[p]\nk=\xD0\x9F\xD1\n", {{"p", "k"}});
  c.AddBytes("utf8bom-bad-sequences",
             "\xEF\xBB\xBF[p]\nlone=a\xFF|\xC3\nsur=\xED\xA0\x80!\nover2=\xC0\xAF|\xC1\xBF!\n"
             "over3=\xE0\x80\x80!\nover4=\xF0\x80\x80\x80!\nbig=\xF4\x90\x80\x80!\n"
             "trunc=\xE2\x82z\ncont=\x80\x80z\nf5=\xF5\xFF!\nok=\xF4\x8F\xBF\xBF\nend=\xE2\x82"s,
             KeysOf("p", {"lone", "sur", "over2", "over3", "over4", "big", "trunc", "cont", "f5",
                          "ok", "end"}));
  c.AddBytes("utf8bom-more-sequences",
             "\xEF\xBB\xBF[p]\nf5=\xF5\x80\x80\x80!\nf8=\xF8\x88\x80\x80\x80!\nc2=\xC2!\n"
             "e0a0=\xE0\xA0!\nu800=\xE0\xA0\x80!\nd7ff=\xED\x9F\xBF!\ne000=\xEE\x80\x80!\n"
             "f090=\xF0\x90\x80!\nover4=\xF0\x8F\xBF\xBF!\nover3=\xE0\x9F\xBF!\n"
             "c2c2=\xC2\xC2\xA9!\nmax=\xF4\x8F\xBF\xBF!\nf48f=\xF4\x8F!\nlow=\xED\xBF\xBF!\n"
             "end=a\xF0\x41"s,
             KeysOf("p", {"f5", "f8", "c2", "e0a0", "u800", "d7ff", "e000", "f090", "over4",
                          "over3", "c2c2", "max", "f48f", "low", "end"}));
  c.AddBytes("utf8bom-cut-at-end-2", "\xEF\xBB\xBF[p]\nk=a\xE2\x41"s, {{"p", "k"}});
  c.AddBytes("utf8bom-cut-at-end-1", "\xEF\xBB\xBF[p]\nk=a\xC3"s, {{"p", "k"}});
  // Control characters next to the blanks.
  c.AddAll("control-chars",
           "[p]\n\x1Ck1\x1C=\x1Cv\x1C\n\x1Fk2=v\x1F\n\x01k3=v\x01\n\x7Fk4=v\x7F\n"
           "k5\x1A=\x1Av\x1A\n\x1A[q]\x1A\nk=1\n",
           {{"p", "k1"},
            {"p", "\x1Ck1"},
            {"p", "k2"},
            {"p", "\x1Fk2"},
            {"p", "k3"},
            {"p", "k4"},
            {"p", "k5"},
            {"q", "k"}});
  c.AddBytes("utf16le-surrogates",
             Utf16Bytes(u"[p]\nhi=a\xD800z\nlo=\xDC00\npair=\U0001F600\nrev=\xDE00\xD83D\n", false),
             KeysOf("p", {"hi", "lo", "pair", "rev"}));
  c.AddBytes("utf16le-odd-length", Utf16Bytes(u"[p]\nk=v\n", false) + "A", {{"p", "k"}});
  c.AddBytes("utf16le-no-bom", Utf16Bytes(u"[p]\r\nk=v\r\n", false).substr(2), {{"p", "k"}});
  c.AddBytes("bom-only-utf16le", "\xFF\xFE", {{"p", "k"}});
  c.AddBytes("bom-only-utf16be", "\xFE\xFF", {{"p", "k"}});
  c.AddBytes("bom-only-utf8", "\xEF\xBB\xBF", {{"p", "k"}});
  c.AddBytes("bom-half", "\xEF\xBB[p]\nk=v\n", {{"p", "k"}});
  c.AddBytes("utf8bom-twice", "\xEF\xBB\xBF\xEF\xBB\xBF[p]\nk=v\n[q]\nk=w\n",
             {{"p", "k"}, {"q", "k"}});
  c.AddBytes("utf16-bom-inside-utf8", "\xEF\xBB\xBF\xFF\xFE[p]\nk=v\n", {{"p", "k"}});
  c.AddBytes("empty", "", {{"p", "k"}, {"", "k"}});
  c.AddBytes("one-byte", "[", {{"p", "k"}});
  c.AddBytes("ctrl-z-end", "[p]\r\nk=v\r\n\x1A", {{"p", "k"}});
  {
    Sample& s = c.AddBytes("missing", "", {{"p", "k"}});
    s.missing = true;
  }
  // Blanks beyond ASCII are text, not blanks.
  c.Add("unicode-spaces",
        "[p]\nk=a\u00A0\n\u00A0k2=b\u3000\n\u2000k3\u2000=\u2000c\u2000\n\u0085k4=d\u0085\n"
        "k5=\u200Be\u200B\nk6=\uFEFFf\uFEFF\n[\u00A0q\u00A0]\nk=1\n",
        Enc::Utf16Le,
        {{"p", "k"},
         {"p", "k2"},
         {"p", "\u00A0k2"},
         {"p", "k3"},
         {"p", "\u2000k3"},
         {"p", "k4"},
         {"p", "k5"},
         {"p", "k6"},
         {"q", "k"},
         {"\u00A0q\u00A0", "k"}});
}

// --- random files -----------------------------------------------------------

class RandomFiles {
 public:
  explicit RandomFiles(std::uint32_t seed) : rng_(seed) {}

  void Add(Corpus& corpus, int count) {
    for (int i = 0; i < count; ++i) AddOne(corpus, i);
  }

 private:
  std::mt19937 rng_;

  // Our own modulo: the standard distributions differ between libraries.
  std::size_t Pick(std::size_t n) { return static_cast<std::size_t>(rng_() % n); }
  bool Chance(int percent) { return static_cast<int>(Pick(100)) < percent; }
  template <class T>
  const T& OneOf(const std::vector<T>& v) {
    return v[Pick(v.size())];
  }

  std::string Blanks() {
    static const std::vector<std::string> b = {"", "", "", " ", "  ", "\t", " \t ", "\v", "\f"};
    return OneOf(b);
  }

  std::string Eol() {
    static const std::vector<std::string> e = {"\n", "\n", "\r\n", "\r\n", "\r", "\n\r", "\r\r\n"};
    return OneOf(e);
  }

  // Names share a small pool so that duplicates and case clashes happen.
  std::string Name(bool cyrillic) {
    static const std::vector<std::string> latin = {"prg",       "Setup", "ADD", "name",
                                                   "Location1", "a b",   "x"};
    static const std::vector<std::string> cyr = {"Программа", "раздел", "ИМЯ",
                                                 "ключ",      "Ёж",     "дата 1"};
    return cyrillic ? OneOf(cyr) : OneOf(latin);
  }

  std::string Value(bool cyrillic) {
    static const std::vector<std::string> plain = {
        "value", "a=b",  "a;b ; c", ";x",       "C:\\Program Files\\a.exe",
        "",      "  ",   "x y  z",  "[v]",      "\"x\"",
        "'x'",   "\"x'", "\"",      "\"\"",     "\"a\"b\"",
        "''",    "'",    "\" a \"", "\"\"x\"\""};
    static const std::vector<std::string> cyr = {"Значение", "«ёлка» №5", "\"Диск\"", "'ж'",
                                                 "СКУД;Ловерин"};
    if (Chance(4)) {
      static const std::vector<std::size_t> lengths = {2045, 2046, 2047, 2048, 2049, 5000};
      const std::size_t n = OneOf(lengths);
      std::string v = Repeat(cyrillic && Chance(50) ? "я" : "x", n);
      if (Chance(50)) v = (Chance(50) ? "\"" : "'") + v + (Chance(70) ? "\"" : "'");
      return v;
    }
    return cyrillic && Chance(50) ? OneOf(cyr) : OneOf(plain);
  }

  // Changes the letter case of some ASCII letters; `nonAscii` also of
  // Cyrillic ones, and says whether it did.
  std::string Recase(const std::string& utf8, bool mayNonAscii, bool& nonAscii) {
    U16 s = FromUtf8(utf8);
    for (char16_t& c : s) {
      if (!Chance(40)) continue;
      if ((c >= u'a' && c <= u'z') || (c >= u'A' && c <= u'Z')) {
        c = static_cast<char16_t>(c ^ 0x20);
      } else if (mayNonAscii && c >= 0x410 && c <= 0x42F) {
        c = static_cast<char16_t>(c + 0x20);
        nonAscii = true;
      } else if (mayNonAscii && c >= 0x430 && c <= 0x44F) {
        c = static_cast<char16_t>(c - 0x20);
        nonAscii = true;
      }
    }
    return platform::Utf16ToUtf8(s);
  }

  void AddOne(Corpus& corpus, int index) {
    static const std::vector<Enc> encodings = {Enc::Ascii, Enc::Cp1251, Enc::Utf8Bom, Enc::Utf16Le,
                                               Enc::Utf16Be};
    const Enc enc = OneOf(encodings);
    const bool cyrillicOk = enc != Enc::Ascii;
    std::vector<std::string> sections, keys;
    std::string text;
    const int lines = 3 + static_cast<int>(Pick(25));
    for (int l = 0; l < lines; ++l) {
      const bool cyr = cyrillicOk && Chance(40);
      switch (Pick(12)) {
        case 0:
        case 1: {  // section header, sometimes odd
          const std::string name = Name(cyr);
          sections.push_back(name);
          std::string line = Blanks() + "[" + Blanks() + name + Blanks() + "]";
          if (Chance(10)) line += Blanks() + "; note";
          if (Chance(5)) line = Blanks() + "[" + name + "]x]";
          if (Chance(5)) line = Blanks() + "[" + name;  // no closing bracket
          text += line + Blanks();
          break;
        }
        case 2:
          text += Blanks() + ";" + Blanks() + Name(cyr) + "=" + Value(cyr);
          break;
        case 3:
          keys.push_back(Name(cyr));
          text += Blanks() + keys.back() + Blanks();  // no '='
          break;
        case 4:
          text += Blanks();  // empty or blank line
          break;
        case 5:
          text += Chance(50) ? "=" + Value(cyr) : std::string("\x1A");
          break;
        default: {
          keys.push_back(Name(cyr));
          text += Blanks() + keys.back() + Blanks() + "=" + Blanks() + Value(cyr) + Blanks();
        }
      }
      text += (l + 1 < lines || Chance(70)) ? Eol() : "";
    }
    Sample& s = corpus.Add("random-" + std::to_string(index), text, enc, {});
    sections.push_back(Name(false));  // most likely missing
    keys.push_back(Name(cyrillicOk && Chance(50)));
    const std::size_t wanted = 10 + Pick(20);
    for (std::size_t i = 0; i < wanted; ++i) {
      bool nonAscii = false;
      std::string sec = OneOf(sections), key = OneOf(keys);
      if (Chance(30)) sec = Recase(sec, Chance(30), nonAscii);
      if (Chance(30)) key = Recase(key, Chance(30), nonAscii);
      if (Chance(10)) sec = Blanks() + sec + Blanks();
      if (Chance(10)) key = Blanks() + key + Blanks();
      s.lookups.push_back({FromUtf8(sec), FromUtf8(key), nonAscii});
    }
  }
};

// --- running ----------------------------------------------------------------

// Wine's version when running under Wine, else null.
const char* WineVersion() {
  const HMODULE ntdll = GetModuleHandleW(L"ntdll.dll");
  if (!ntdll) return nullptr;
  // Through the generic function type, which GCC accepts as a cast target.
  const auto get = reinterpret_cast<const char* (*)()>(
      reinterpret_cast<void (*)()>(GetProcAddress(ntdll, "wine_get_version")));
  return get ? get() : nullptr;
}

std::wstring W(const U16& s) { return std::wstring(s.begin(), s.end()); }

std::wstring TempDir() {
  wchar_t base[MAX_PATH + 1];
  const DWORD n = GetTempPathW(MAX_PATH + 1, base);
  if (n == 0 || n > MAX_PATH) return {};
  // A Cyrillic directory name so that the paths go through as UTF-16.
  const std::wstring dir = std::wstring(base) + L"skd profile diff " +
                           std::to_wstring(GetCurrentProcessId()) + L" корпус\\";
  return CreateDirectoryW(dir.c_str(), nullptr) ? dir : std::wstring();
}

bool WriteBytes(const std::wstring& path, const std::string& bytes) {
  HANDLE h = CreateFileW(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS,
                         FILE_ATTRIBUTE_NORMAL, nullptr);
  if (h == INVALID_HANDLE_VALUE) return false;
  DWORD written = 0;
  const BOOL ok = bytes.empty() ||
                  WriteFile(h, bytes.data(), static_cast<DWORD>(bytes.size()), &written, nullptr);
  CloseHandle(h);
  return ok && written == bytes.size();
}

U16 SystemValue(const std::wstring& path, const U16& section, const U16& key) {
  std::vector<wchar_t> buf(kBufferUnits, L'\0');
  const DWORD n = GetPrivateProfileStringW(W(section).c_str(), W(key).c_str(), L"", buf.data(),
                                           kBufferUnits, path.c_str());
  return U16(buf.begin(), buf.begin() + n);
}

struct Options {
  std::uint32_t seed = 20240611;
  int random = 200;
  UINT requireAcp = 0;
  bool keep = false;
  bool verbose = false;
};

bool ParseArgs(int argc, char** argv, Options& o) {
  for (int i = 1; i < argc; ++i) {
    const std::string a = argv[i];
    const bool hasValue = i + 1 < argc;
    if (a == "--seed" && hasValue) {
      o.seed = static_cast<std::uint32_t>(std::strtoul(argv[++i], nullptr, 10));
    } else if (a == "--random" && hasValue) {
      o.random = std::atoi(argv[++i]);
    } else if (a == "--require-acp" && hasValue) {
      o.requireAcp = static_cast<UINT>(std::strtoul(argv[++i], nullptr, 10));
    } else if (a == "--keep") {
      o.keep = true;
    } else if (a == "--verbose") {
      o.verbose = true;
    } else {
      std::fprintf(stderr, "unknown argument: %s\n", a.c_str());
      return false;
    }
  }
  return true;
}

}  // namespace

int main(int argc, char** argv) {
  Options opt;
  if (!ParseArgs(argc, argv, opt)) return 2;

  const UINT acp = GetACP();
  const char* wine = WineVersion();
  if (opt.requireAcp != 0 && acp != opt.requireAcp) {
    std::printf("profile_diff: the ANSI code page is %u, not %u (is the locale installed?)\n", acp,
                opt.requireAcp);
    return 2;
  }

  Corpus corpus;
  AddHandWritten(corpus);
  RandomFiles(opt.seed).Add(corpus, opt.random);

  const std::wstring dir = TempDir();
  if (dir.empty()) {
    std::printf("profile_diff: cannot make a temp directory\n");
    return 2;
  }

  std::map<std::string, int> skipped;  // reason -> lookups
  int compared = 0, disagreements = 0, wineDeviations = 0, layerErrors = 0;
  for (const Sample& s : corpus.samples) {
    const std::wstring path = dir + W(FromUtf8(s.name));
    if (!s.missing && !WriteBytes(path, s.bytes)) {
      std::printf("profile_diff: cannot write %s\n", s.name.c_str());
      return 2;
    }

    // Windows reads a file without a byte-order mark in the ANSI code page;
    // our reader takes valid UTF-8 first, else Windows-1251.
    std::string skip;
    const bool ascii = std::all_of(s.bytes.begin(), s.bytes.end(),
                                   [](char ch) { return static_cast<unsigned char>(ch) < 0x80; });
    if (!HasBom(s.bytes) && !ascii) {
      if (IsValidUtf8(s.bytes))
        skip = "UTF-8 without a byte-order mark (read as UTF-8 only by us)";
      else if (acp != 1251)
        skip = "ANSI file while the ANSI code page is " + std::to_string(acp);
    }

    const std::string pathUtf8 = platform::Utf16ToUtf8(U16(path.begin(), path.end()));
    for (const Lookup& l : s.lookups) {
      const U16 system = SystemValue(path, l.section, l.key);
      const std::string sec8 = platform::Utf16ToUtf8(l.section);
      const std::string key8 = platform::Utf16ToUtf8(l.key);

      // Our Windows layer must hand over exactly what the system read; it
      // answers "" for an empty name without asking, on every platform.
      const std::string viaLayer = platform::ReadProfileString(pathUtf8, sec8, key8);
      const bool emptyName = sec8.empty() || key8.empty();
      if (!emptyName && viaLayer != platform::Utf16ToUtf8(system)) {
        ++layerErrors;
        std::printf("LAYER %s [%s] %s: system=%s ReadProfileString=%s\n", s.name.c_str(),
                    Escape(l.section).c_str(), Escape(l.key).c_str(), Escape(system).c_str(),
                    Escape8(viaLayer).c_str());
      }

      if (!skip.empty()) {
        ++skipped[skip];
        continue;
      }
      ++compared;
      const std::string ours = platform::LookupProfileValue(s.bytes, sec8, key8);
      const std::string theirs = platform::Utf16ToUtf8(system);
      if (ours == theirs) {
        if (opt.verbose)
          std::printf("same %s [%s] %s = %s\n", s.name.c_str(), Escape(l.section).c_str(),
                      Escape(l.key).c_str(), Escape(system).c_str());
        continue;
      }
      // Wine compares names with ASCII-only case folding; Windows folds
      // every letter, as we do.
      const bool wineCase = l.nonAsciiCase && wine != nullptr;
      const char* kind = wineCase ? "CASE" : "DIFF";
      (wineCase ? wineDeviations : disagreements)++;
      std::printf("%s %s [%s] %s: windows=%s ours=%s\n", kind, s.name.c_str(),
                  Escape(l.section).c_str(), Escape(l.key).c_str(), Escape(system).c_str(),
                  Escape8(ours).c_str());
    }
    if (!opt.keep) DeleteFileW(path.c_str());
  }
  if (!opt.keep) RemoveDirectoryW(dir.c_str());

  std::size_t lookups = 0;
  for (const Sample& s : corpus.samples) lookups += s.lookups.size();
  std::printf(
      "profile_diff: %s%s, ANSI code page %u, %zu files (%d random, seed %u), %zu lookups\n",
      wine ? "Wine " : "Windows", wine ? wine : "", acp, corpus.samples.size(), opt.random,
      opt.seed, lookups);
  for (const auto& [reason, n] : skipped)
    std::printf("  not compared: %d lookups: %s\n", n, reason.c_str());
  std::printf("  Wine's ASCII-only letter case (CASE, not counted): %d lookups differ\n",
              wineDeviations);
  std::printf("  Windows layer vs system (LAYER): %d differ\n", layerErrors);
  std::printf("%d passed, %d failed\n", compared - disagreements - wineDeviations, disagreements);
  return disagreements == 0 && layerErrors == 0 ? 0 : 1;
}
