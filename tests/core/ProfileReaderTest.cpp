// The setup.ini reader must answer exactly as GetPrivateProfileStringW does
// (empty default, 2048-unit buffer). Files are written to a temp dir and read
// back through ReadProfileString, the way the menu reads them: on Windows
// that is the system's reader, elsewhere ours. The expectations were settled
// against Wine (tests/wine/profile_diff).

#include <gtest/gtest.h>

#include <algorithm>
#include <chrono>
#include <filesystem>
#include <fstream>
#include <functional>
#include <future>
#include <random>
#include <string>
#include <string_view>
#include <tuple>
#include <vector>

#include "platform/Profile.h"
#include "platform/ProfileParser.h"
#include "platform/TextDecode.h"

#ifndef _WIN32
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>
#endif
#if __has_include(<iconv.h>)
#include <iconv.h>
#define HAVE_ICONV 1
#endif

namespace {

namespace fs = std::filesystem;
using platform::kProfileValueMax;
using platform::ReadProfileString;

std::string Repeat(std::string_view unit, std::size_t n) {
  std::string s;
  s.reserve(unit.size() * n);
  for (std::size_t i = 0; i < n; ++i) s += unit;
  return s;
}

std::u16string Repeat16(std::u16string_view unit, std::size_t n) {
  std::u16string s;
  for (std::size_t i = 0; i < n; ++i) s += unit;
  return s;
}

// File bytes for UTF-16 text, with the byte-order mark.
std::string Utf16File(std::u16string_view text, bool bigEndian) {
  std::string out = bigEndian ? "\xFE\xFF" : "\xFF\xFE";
  for (char16_t c : text) {
    const char hi = static_cast<char>(c >> 8), lo = static_cast<char>(c & 0xFF);
    out += bigEndian ? hi : lo;
    out += bigEndian ? lo : hi;
  }
  return out;
}

using namespace std::string_literals;  // "\0" inside literals

struct Case {
  const char* what;
  std::string content;
  std::string section;
  std::string key;
  std::string expected;
};

class ProfileReaderTest : public ::testing::Test {
 protected:
  void SetUp() override {
    std::random_device seed;
    for (int attempt = 0; dir_.empty() && attempt < 100; ++attempt) {
      const fs::path candidate =
          fs::temp_directory_path() / ("profile_reader_" + std::to_string(seed()));
      if (fs::create_directory(candidate)) dir_ = candidate;
    }
    ASSERT_FALSE(dir_.empty());
  }

  void TearDown() override {
    if (dir_.empty()) return;
    std::error_code ec;
    fs::permissions(dir_, fs::perms::owner_all, fs::perm_options::add, ec);
    fs::remove_all(dir_, ec);
  }

  // Paths in and out are UTF-8, as ReadProfileString takes them.
  std::string Path(std::string_view relativeUtf8) const {
    return Utf8(dir_ / fs::path(std::u8string(relativeUtf8.begin(), relativeUtf8.end())));
  }

  static std::string Utf8(const fs::path& p) {
    const std::u8string s = p.u8string();
    return std::string(s.begin(), s.end());
  }

  std::string Write(std::string_view relativeUtf8, std::string_view bytes) {
    const fs::path path = dir_ / fs::path(std::u8string(relativeUtf8.begin(), relativeUtf8.end()));
    fs::create_directories(path.parent_path());
    std::ofstream out(path, std::ios::binary);
    out.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
    EXPECT_TRUE(out.good()) << path;
    return Utf8(path);
  }

  // Windows reads a file without a byte-order mark in the ANSI code page, so
  // there non-ASCII UTF-8 text gets a UTF-8 mark; Encodings tests the
  // unmarked files on each platform.
  static std::string ForThisPlatform(std::string_view content) {
    std::string bytes(content);
#ifdef _WIN32
    const bool marked = bytes.rfind("\xEF\xBB\xBF", 0) == 0 || bytes.rfind("\xFF\xFE", 0) == 0 ||
                        bytes.rfind("\xFE\xFF", 0) == 0;
    const bool ascii = std::all_of(bytes.begin(), bytes.end(),
                                   [](char c) { return static_cast<unsigned char>(c) < 0x80; });
    // Only text that survives the round trip is UTF-8.
    const bool utf8 = platform::Utf16ToUtf8(platform::Utf8ToUtf16(bytes)) == bytes;
    if (!marked && !ascii && utf8) bytes.insert(0, "\xEF\xBB\xBF");
#endif
    return bytes;
  }

  std::string Read(std::string_view content, const std::string& section, const std::string& key) {
    return ReadProfileString(Write("setup.ini", ForThisPlatform(content)), section, key);
  }

  // The bytes exactly as given, on every platform.
  std::string ReadRaw(std::string_view content, const std::string& section,
                      const std::string& key) {
    return ReadProfileString(Write("setup.ini", content), section, key);
  }

  void RunCases(const std::vector<Case>& cases) {
    for (const Case& c : cases) {
      EXPECT_EQ(Read(c.content, c.section, c.key), c.expected) << c.what;
    }
  }

  void RunRawCases(const std::vector<Case>& cases) {
    for (const Case& c : cases) {
      EXPECT_EQ(ReadRaw(c.content, c.section, c.key), c.expected) << c.what;
    }
  }

  // Wine's reader folds only ASCII letters in names; Windows and ours fold
  // Cyrillic too. On Windows this asks the system reader which one it is.
  bool ReaderFoldsCyrillic() {
    return ReadRaw(Utf16File(u"[Ж]\r\nk=1\r\n", false), "ж", "k") == "1";
  }

  fs::path dir_;
};

TEST_F(ProfileReaderTest, LineSyntax) {
  RunCases({
      {"plain", "[prg]\nname=value\n", "prg", "name", "value"},
      {"CR LF", "[prg]\r\na=1\r\nname=value\r\n", "prg", "name", "value"},
      {"CR alone", "[prg]\ra=1\rname=value\r", "prg", "name", "value"},
      {"mixed endings", "[x]\r\n[prg]\ra=1\nname=value", "prg", "name", "value"},
      {"no final newline", "[prg]\nname=value", "prg", "name", "value"},
      {"blank lines", "\n\n[prg]\n\n\r\n\nname=value\n\n", "prg", "name", "value"},
      {"blanks around key and value", "[prg]\n \t name \t= \t value with  inner \t\n", "prg",
       "name", "value with  inner"},
      {"vertical tab, form feed", "[prg]\n\v\fname\v=\fvalue\v\f\n", "prg", "name", "value"},
      {"DOS end-of-file mark", "[prg]\nname=value\x1A", "prg", "name", "value"},
      {"blanks inside brackets", "  [ \t prg \t ]  \nname=value\n", "prg", "name", "value"},
      {"name inside a key", "[prg]\nmy key = v\n", "prg", "my key", "v"},
      {"first = splits", "[prg]\nname = a = b==\n", "prg", "name", "a = b=="},
      {"empty value", "[prg]\nname=\nother=x\n", "prg", "name", ""},
      {"only blanks in value", "[prg]\nname=  \t \n", "prg", "name", ""},
      {"missing key", "[prg]\nname=value\n", "prg", "nam", ""},
      {"missing section", "[prg]\nname=value\n", "prg2", "name", ""},
      {"key before any section", "name=value\n[prg]\nx=1\n", "prg", "name", ""},
      {"blank section name finds keys before any section", "name=value\n[prg]\nx=1\n", " ", "name",
       "value"},
      {"key of another section", "[a]\nname=value\n[prg]\nx=1\n", "prg", "name", ""},
      {"key after its section ended", "[prg]\nx=1\n[b]\nname=value\n", "prg", "name", ""},
      {"empty section argument", "[]\nname=value\n", "", "name", ""},
      {"empty key argument", "[prg]\n=value\n", "prg", "", ""},
  });
}

TEST_F(ProfileReaderTest, SectionHeaders) {
  RunCases({
      {"] inside a name", "[a]b]\nname=value\n", "a]b", "name", "value"},
      {"name runs to the last ]", "[a]b] ; note ] \nname=value\n", "a]b] ; note", "name", "value"},
      {"text after the last ] ignored", "[prg] trailing text\nname=value\n", "prg", "name",
       "value"},
      {"[ inside a name", "[a[b]\nname=value\n", "a[b", "name", "value"},
      {"[ without ] is no header", "[prg]\n[oops\nname=value\n", "prg", "name", "value"},
      {"[ without ] can be a key", "[prg]\n[oops = yes\n", "prg", "[oops", "yes"},
      {"[ without ] does not open a section", "[a]\n[prg\nname=value\n", "prg", "name", ""},
      {"empty brackets", "[]\nname=value\n[prg]\nname=v2\n", "prg", "name", "v2"},
      {"header must start the line", "[a]\nx [prg]\nname=value\n", "prg", "name", ""},
  });
}

TEST_F(ProfileReaderTest, Comments) {
  RunCases({
      {"comment line", "[prg]\n;name=commented\nname=value\n", "prg", "name", "value"},
      {"indented comment", "[prg]\n \t; name=commented\nname=value\n", "prg", "name", "value"},
      // Windows has no comments of its own: such a line is a key like any other.
      {"; line is a key named with the ;", "[prg]\n;name=v\n; name = w\n", "prg", ";name", "v"},
      {"; line with blanks", "[prg]\n;name=v\n; name = w\n", "prg", "; name", "w"},
      {"; inside a value", "[prg]\nname=a;b ; c\n", "prg", "name", "a;b ; c"},
      {"; at start of a value", "[prg]\nname=;x\n", "prg", "name", ";x"},
      {"; inside a key name", "[prg]\na;b=v\n", "prg", "a;b", "v"},
      {"commented header is no header", "[a]\n;[prg]\nname=value\n[prg]\nname=v2\n", "prg", "name",
       "v2"},
  });
}

TEST_F(ProfileReaderTest, LinesWithoutEquals) {
  RunCases({
      {"bare word", "[prg]\nname\n", "prg", "name", ""},
      // A line without '=' is a key without a value, found first.
      {"bare word hides a later key", "[prg]\nname\nname=value\n", "prg", "name", ""},
      {"bare word after the key", "[prg]\nname=value\nname\n", "prg", "name", "value"},
      {"[ line without ] hides a later key", "[prg]\n[oops\n[oops = yes\n", "prg", "[oops", ""},
      {"text with blanks", "[prg]\nname value\n", "prg", "name value", ""},
  });
}

TEST_F(ProfileReaderTest, Duplicates) {
  RunCases({
      {"first key wins", "[prg]\nname=first\nname=second\n", "prg", "name", "first"},
      {"first key wins across case", "[prg]\nNAME=first\nname=second\n", "prg", "name", "first"},
      {"empty first key wins", "[prg]\nname=\nname=second\n", "prg", "name", ""},
      {"first section searched", "[prg]\nname=first\n[prg]\nname=second\n", "prg", "name", "first"},
      {"only the first section searched", "[prg]\nother=1\n[x]\ny=2\n[prg]\nname=second\n", "prg",
       "name", ""},
      {"same name differently cased", "[prg]\nother=1\n[PRG]\nname=second\n", "prg", "name", ""},
      {"same name differently blanked", "[prg]\nother=1\n[ prg ]\nname=second\n", "prg", "name",
       ""},
  });
}

TEST_F(ProfileReaderTest, CaseInsensitiveNames) {
  RunCases({
      {"Latin section", "[prg]\nname=value\n", "PRG", "name", "value"},
      {"Latin key", "[PrG]\nNaMe=value\n", "pRg", "nAmE", "value"},
      {"value keeps its case", "[prg]\nname=VaLuE\n", "prg", "name", "VaLuE"},
      {"Cyrillic as written", "[Раздел]\nКлюч=Значение\n", "Раздел", "Ключ", "Значение"},
      {"× and ÷ are not a pair", "[×]\nk=1\n", "÷", "k", ""},
      {"different letters", "[прг]\nk=1\n", "прк", "k", ""},
      {"prefix is not a match", "[prg2]\nname=1\n", "prg", "name", ""},
      {"key prefix is not a match", "[prg]\nname2=1\n", "prg", "name", ""},
      {"Latin is not Cyrillic", "[PRG]\nk=1\n", "РRG", "k", ""},
  });
}

TEST_F(ProfileReaderTest, CaseInsensitiveNonAsciiNames) {
  if (!ReaderFoldsCyrillic()) GTEST_SKIP() << "this system's profile reader folds ASCII only";
  RunCases({
      {"Cyrillic section", "[ПРГ]\nимя=значение\n", "прг", "ИМЯ", "значение"},
      {"Cyrillic key", "[раздел]\nКлюч=Значение\n", "РАЗДЕЛ", "кЛЮЧ", "Значение"},
      {"Ё and ё", "[ЁЛКА]\nЁж=1\n", "ёлка", "ёЖ", "1"},
      {"U+0400..U+040F", "[ЀЂЃЄЅІЇЈЉЊЋЌЍЎЏ]\nk=1\n", "ѐђѓєѕіїјљњћќѝўџ", "K", "1"},
      {"Latin-1", "[ÀÉÎÕÜÞ]\nk=1\n", "àéîõüþ", "k", "1"},
      {"UTF-16 LE", Utf16File(u"[Прг]\r\nКлюч=Знач\r\n", false), "прг", "ключ", "Знач"},
      {"UTF-16 BE", Utf16File(u"[Прг]\r\nКлюч=Знач\r\n", true), "ПРГ", "КЛЮЧ", "Знач"},
  });
}

TEST_F(ProfileReaderTest, ArgumentsAreTrimmedLikeNames) {
  RunCases({
      {"section argument", "[prg]\nname=value\n", " prg\t", "name", "value"},
      {"key argument", "[prg]\nname=value\n", "prg", "\tname ", "value"},
      {"blank arguments", "[prg]\nname=value\n", "  ", "name", ""},
      {"NUL ends an argument before it is trimmed", "[prg]\nname=value\n", "prg \0x"s, "name",
       "value"},
  });
}

TEST_F(ProfileReaderTest, NulEndsNamesAndValues) {
  RunCases({
      {"in a value", "[prg]\nname=ab\0cd\n"s, "prg", "name", "ab"},
      {"value starting with NUL", "[prg]\nname=\0cd\n"s, "prg", "name", ""},
      {"before the closing quote", "[prg]\nname=\"ab\0\"\n"s, "prg", "name", "\"ab"},
      {"in a key name", "[prg]\nna\0me=value\n"s, "prg", "na", "value"},
      {"in a section name", "[pr\0g]\nname=value\n"s, "pr", "name", "value"},
      {"in the middle of the file", "[a]\0\n[prg]\n\0\nname=value\n"s, "prg", "name", "value"},
  });
}

TEST_F(ProfileReaderTest, Quotes) {
  RunCases({
      {"double", "[prg]\nname=\"x\"\n", "prg", "name", "x"},
      {"single", "[prg]\nname='x'\n", "prg", "name", "x"},
      {"mismatched", "[prg]\nname=\"x'\n", "prg", "name", "\"x'"},
      {"lone quote", "[prg]\nname=\"\n", "prg", "name", "\""},
      {"lone single quote", "[prg]\nname='\n", "prg", "name", "'"},
      {"empty quoted", "[prg]\nname=\"\"\n", "prg", "name", ""},
      {"empty single quoted", "[prg]\nname=''\n", "prg", "name", ""},
      {"quote inside", "[prg]\nname=\"a\"b\"\n", "prg", "name", "a\"b"},
      {"blanks kept inside quotes", "[prg]\nname = \" a b \" \n", "prg", "name", " a b "},
      {"only one layer removed", "[prg]\nname=\"\"x\"\"\n", "prg", "name", "\"x\""},
      {"opening only", "[prg]\nname=\"abc\n", "prg", "name", "\"abc"},
      {"closing only", "[prg]\nname=abc\"\n", "prg", "name", "abc\""},
      {"not at both ends", "[prg]\nname=a\"b\"\n", "prg", "name", "a\"b\""},
      {"quoted path", "[prg]\nname=\"C:\\Program Files\\a.exe\"\n", "prg", "name",
       "C:\\Program Files\\a.exe"},
  });
}

TEST_F(ProfileReaderTest, LongValuesAreCutAt2047Units) {
  ASSERT_EQ(kProfileValueMax, 2047u);
  struct Unit {
    const char* name;
    std::string utf8;
  };
  const Unit units[] = {{"ASCII", "x"}, {"Cyrillic", "я"}, {"Latin-1", "é"}};
  for (const Unit& u : units) {
    for (std::size_t n : {2046u, 2047u, 2048u, 5000u}) {
      SCOPED_TRACE(std::string(u.name) + " x " + std::to_string(n));
      const std::string value = Repeat(u.utf8, n);
      const std::string expected = Repeat(u.utf8, std::min<std::size_t>(n, 2047));
      EXPECT_EQ(Read("[prg]\nname=" + value + "\n", "prg", "name"), expected);
      // Quotes around it come off only when the value and its closing quote
      // fit; when only the value fits, its last unit goes instead.
      const std::string quoted = Read("[prg]\nname=\"" + value + "\"\n", "prg", "name");
      EXPECT_EQ(quoted, Repeat(u.utf8, n == 2047 ? 2046 : std::min<std::size_t>(n, 2047)));
    }
  }
}

TEST_F(ProfileReaderTest, QuotedValuesAtTheLimit) {
  const std::string x2045 = Repeat("x", 2045), x2046 = Repeat("x", 2046);
  RunCases({
      // The value without its opening quote is 2047 units: both quotes go.
      {"closing quote is unit 2047", "[p]\nk=\"" + x2046 + "\"\n", "p", "k", x2046},
      {"shorter", "[p]\nk=\"" + x2045 + "\"\n", "p", "k", x2045},
      // 2048 units after the opening quote: the closing quote falls off with
      // the cut, and the last unit that fitted is removed in its place.
      {"closing quote cut off", "[p]\nk=\"" + x2046 + "y\"\n", "p", "k", x2046},
      // 2049 and more: nothing is removed.
      {"cut inside", "[p]\nk='" + x2046 + "yz'\n", "p", "k", x2046 + "y"},
      {"unquoted keeps its quote", "[p]\nk=\"" + x2045 + "\n", "p", "k", "\"" + x2045},
      {"unquoted cut", "[p]\nk=\"" + x2046 + "y\n", "p", "k", "\"" + x2046},
  });
}

// The cut counts UTF-16 units and may split a surrogate pair; the half pair
// has no UTF-8 form and comes out as U+FFFD.
TEST_F(ProfileReaderTest, CutMaySplitASurrogatePair) {
  const std::string emoji = "\xF0\x9F\x98\x80";  // U+1F600, two UTF-16 units
  const std::string half = "\xEF\xBF\xBD";
  RunCases({
      {"pair fits", "[p]\nk=" + Repeat("x", 2045) + emoji + "z\n", "p", "k",
       Repeat("x", 2045) + emoji},
      {"pair split", "[p]\nk=" + Repeat("x", 2046) + emoji + "\n", "p", "k",
       Repeat("x", 2046) + half},
      {"pairs only", "[p]\nk=" + Repeat(emoji, 3000) + "\n", "p", "k", Repeat(emoji, 1023) + half},
      {"quoted pair split", "[p]\nk=\"" + Repeat("x", 2046) + emoji + "\"\n", "p", "k",
       Repeat("x", 2046) + half},
  });
}

TEST_F(ProfileReaderTest, Encodings) {
  RunRawCases({
      {"UTF-8 with BOM", "\xEF\xBB\xBF[prg]\nname=Всё\n", "prg", "name", "Всё"},
      {"UTF-8 BOM then the section", "\xEF\xBB\xBF[prg]\nname=v\n", "PRG", "name", "v"},
      {"bad sequence after a BOM", "\xEF\xBB\xBF[prg]\nname=a\xFF|\xC3\n", "prg", "name",
       "a\xEF\xBF\xBD|\xEF\xBF\xBD"},
      // Windows ends a bad sequence at the byte where it went wrong.
      {"surrogate in UTF-8 after a BOM", "\xEF\xBB\xBF[prg]\nname=\xED\xA0\x80!\n", "prg", "name",
       "\xEF\xBF\xBD\xEF\xBF\xBD!"},
      {"sequence cut by the end of the file", "\xEF\xBB\xBF[p]\nk=a\xF0\x41", "p", "k",
       "a\xEF\xBF\xBD"},
      {"UTF-16 LE", Utf16File(u"[Прг]\r\nКлюч=Знач ☺\r\n", false), "Прг", "Ключ", "Знач ☺"},
      {"UTF-16 BE", Utf16File(u"[Прг]\r\nКлюч=Знач ☺\r\n", true), "Прг", "Ключ", "Знач ☺"},
      {"UTF-16 LE odd length", Utf16File(u"[p]\nk=v\n", false) + "A", "p", "k", "v"},
      {"UTF-16 surrogate pair", Utf16File(u"[p]\nk=\U0001F600\n", false), "p", "k",
       "\xF0\x9F\x98\x80"},
      {"UTF-16 lone high surrogate", Utf16File(u"[p]\nk=a\xD800z\n", false), "p", "k",
       "a\xEF\xBF\xBDz"},
      {"UTF-16 lone low surrogate", Utf16File(u"[p]\nk=\xDC00\n", true), "p", "k", "\xEF\xBF\xBD"},
      {"UTF-16 BOM only", "\xFF\xFE", "p", "k", ""},
      {"UTF-16 long Cyrillic", Utf16File(u"[p]\nk=" + Repeat16(u"ж", 3000), false), "p", "k",
       Repeat("ж", 2047)},
      {"UTF-16 without BOM is bytes with NULs", Utf16File(u"[p]\r\nk=v\r\n", false).substr(2), "p",
       "k", ""},
  });
#ifndef _WIN32
  // Wine's answer here depends on memory past the end of the file.
  RunRawCases({{"UTF-16 BE odd length, cut mid-value", Utf16File(u"[p]\nk=vw", true) + "\x00"s, "p",
                "k", "vw"}});
#endif
}

// Windows reads a file without a byte-order mark in its ANSI code page; we
// take valid UTF-8 as UTF-8, which Windows never does.
TEST_F(ProfileReaderTest, UnmarkedUtf8) {
  const std::string file = "[Программа]\nИмя=Значение ☺\n";
#ifdef _WIN32
  // In the ANSI code page the Cyrillic names are other letters.
  EXPECT_EQ(ReadRaw(file, "Программа", "Имя"), "");
#else
  EXPECT_EQ(ReadRaw(file, "Программа", "Имя"), "Значение ☺");
  EXPECT_EQ(ReadRaw(file, "программа", "имя"), "Значение ☺");
#endif
}

// Anything else without a mark is Windows-1251, as Windows reads it where
// that is the ANSI code page (Russian Windows).
TEST_F(ProfileReaderTest, UnmarkedCp1251) {
  if (ReadRaw("[p]\nk=\xC6\n", "p", "k") != "Ж") GTEST_SKIP() << "the ANSI code page is not 1251";
  // Сфера / Ключ / Значение in Windows-1251.
  const std::string sphere =
      "[\xD1\xF4\xE5\xF0\xE0]\r\n\xCA\xEB\xFE\xF7=\xC7\xED\xE0\xF7\xE5\xED\xE8\xE5\r\n";
  RunRawCases({
      {"cp1251", sphere, "Сфера", "Ключ", "Значение"},
      {"cp1251 Ё ё № €", "[prg]\nname=\xA8\xB8\xB9\x88\n", "prg", "name", "Ёё№€"},
      {"cp1251 undefined 0x98 is U+0098", "[prg]\nname=a\x98z\n", "prg", "name", "a\xC2\x98z"},
      {"no-break space is no blank", "[prg]\nname=\xA0v\xA0\n", "prg", "name", "\xC2\xA0v\xC2\xA0"},
      // A truncated UTF-8 sequence makes the file not UTF-8: it is cp1251.
      {"truncated UTF-8 is cp1251", "[prg]\nname=\xD0\x9F\xD1\n", "prg", "name", "РџС"},
      {"overlong UTF-8 is cp1251", "[prg]\nname=\xC0\xAF\n", "prg", "name", "АЇ"},
  });
  if (ReaderFoldsCyrillic()) {
    EXPECT_EQ(ReadRaw(sphere, "сфера", "КЛЮЧ"), "Значение");
  }
}

TEST_F(ProfileReaderTest, MissingAndUnreadableFiles) {
  EXPECT_EQ(ReadProfileString(Path("missing.ini"), "prg", "name"), "");
  EXPECT_EQ(ReadProfileString(Path("no/such/dir.ini"), "prg", "name"), "");
  EXPECT_EQ(ReadProfileString("", "prg", "name"), "");
  EXPECT_EQ(Read("", "prg", "name"), "");

  fs::create_directory(dir_ / "sub");
  fs::create_directory(dir_ / "sub" / "setup.ini");
  EXPECT_EQ(ReadProfileString(Path("sub/setup.ini"), "prg", "name"), "");
}

#ifndef _WIN32
TEST_F(ProfileReaderTest, FileWithoutReadPermission) {
  if (geteuid() == 0) GTEST_SKIP() << "root reads any file";
  const std::string path = Write("setup.ini", "[prg]\nname=value\n");
  ASSERT_EQ(chmod(path.c_str(), 0200), 0);
  EXPECT_EQ(ReadProfileString(path, "prg", "name"), "");
}

TEST_F(ProfileReaderTest, SpecialFilesDoNotHang) {
  const std::string fifo = Path("setup.ini");
  ASSERT_EQ(mkfifo(fifo.c_str(), 0600), 0);
  EXPECT_EQ(ReadProfileString(fifo, "prg", "name"), "");
  // A FIFO that has a writer and data: reading it would wait for more.
  const int writer = open(fifo.c_str(), O_RDWR | O_NONBLOCK);
  ASSERT_GE(writer, 0);
  const std::string_view text = "[prg]\nname=value\n";
  ASSERT_EQ(write(writer, text.data(), text.size()), static_cast<ssize_t>(text.size()));
  auto result =
      std::async(std::launch::async, [&] { return ReadProfileString(fifo, "prg", "name"); });
  const bool finished = result.wait_for(std::chrono::seconds(10)) == std::future_status::ready;
  close(writer);  // lets a stuck read see the end
  EXPECT_TRUE(finished);
  EXPECT_EQ(result.get(), "");

  EXPECT_EQ(ReadProfileString("/dev/zero", "prg", "name"), "");
  EXPECT_EQ(ReadProfileString("/dev/null", "prg", "name"), "");

  // A symlink to a good file is read through.
  const std::string real = Write("real.ini", "[prg]\nname=value\n");
  fs::create_symlink(real, dir_ / "link.ini");
  EXPECT_EQ(ReadProfileString(Path("link.ini"), "prg", "name"), "value");
}
#endif

TEST_F(ProfileReaderTest, BinaryGarbage) {
  std::mt19937 rng(12345);
  std::string garbage(1 << 16, '\0');
  for (char& c : garbage) c = static_cast<char>(rng());
  garbage[0] = 'x';  // no byte-order mark by accident
  EXPECT_EQ(Read(garbage, "prg", "name"), "");
  // Text after the garbage is still found (read as cp1251).
  EXPECT_EQ(Read(garbage + "\n[prg]\nname=value\n", "prg", "name"), "value");
  // Garbage after a byte-order mark is just odd text.
  EXPECT_EQ(Read("\xFF\xFE" + garbage, "prg", "name"), "");
  EXPECT_EQ(Read("\xEF\xBB\xBF" + garbage + "\n[prg]\nname=value\n", "prg", "name"), "value");
}

TEST_F(ProfileReaderTest, HugeFilesStayFast) {
  // Generous bound: this is about not going quadratic, not about speed.
  const auto bound = std::chrono::seconds(10);
  const std::string longLine = Repeat("abcdefghi;", 1'000'000);  // 10 MB

  std::string sections;
  for (int i = 0; i < 100'000; ++i) sections += "[s" + std::to_string(i) + "]\nk=v\n";
  sections += "[prg]\nname=value\n";

  std::string manyKeys = "[prg]\n";
  for (int i = 0; i < 100'000; ++i) manyKeys += "key" + std::to_string(i) + "=v\n";
  manyKeys += "name=value\n";

  RunCases({
      {"10 MB line before the key", "[prg]\nx=" + longLine + "\nname=value\n", "prg", "name",
       "value"},
      {"10 MB line without =", "[prg]\n" + longLine + "\nname=value\n", "prg", "name", "value"},
      {"10 MB value", "[prg]\nname=" + longLine + "\n", "prg", "name", longLine.substr(0, 2047)},
      {"10 MB header", "[" + longLine + "]\nname=value\n[prg]\nname=v2\n", "prg", "name", "v2"},
      {"10 MB [ line without ]", "[prg]\n[" + longLine + "\nname=value\n", "prg", "name", "value"},
      {"100,000 sections, wanted last", sections, "prg", "name", "value"},
      {"100,000 sections, wanted missing", sections, "nope", "name", ""},
      {"100,000 keys, wanted last", manyKeys, "prg", "name", "value"},
  });

  const std::string path = Write("setup.ini", sections);
  const auto start = std::chrono::steady_clock::now();
  EXPECT_EQ(ReadProfileString(path, "prg", "name"), "value");
  EXPECT_EQ(ReadProfileString(path, "s99999", "k"), "v");
  EXPECT_LT(std::chrono::steady_clock::now() - start, bound);

  const std::string linePath = Write("line.ini", "[prg]\nx=" + longLine + "\nname=value\n");
  const auto lineStart = std::chrono::steady_clock::now();
  EXPECT_EQ(ReadProfileString(linePath, "prg", "name"), "value");
  EXPECT_LT(std::chrono::steady_clock::now() - lineStart, bound);
}

TEST_F(ProfileReaderTest, OddPaths) {
  const char* const names[] = {
      "with blanks/set up.ini",  "quotes/'b' 'c'.ini",
      "semi;colons/a;b.ini",     "dollar/$(echo x)/`id`.ini",
      "Кириллица/настройки.ini", "tricky/a=b [c] %PATH%.ini",
#ifndef _WIN32
      "quotes/\"a\".ini",        "star/*?.ini",
#endif
  };
  for (const char* name : names) {
    const std::string path = Write(name, "[prg]\nname=value\n");
    EXPECT_EQ(ReadProfileString(path, "prg", "name"), "value") << name;
  }
}

#ifndef _WIN32
TEST_F(ProfileReaderTest, BackslashesAreSeparators) {
  std::string path = Write("sub/dir/setup.ini", "[prg]\nname=value\n");
  std::replace(path.begin(), path.end(), '/', '\\');
  EXPECT_EQ(ReadProfileString(path, "prg", "name"), "value");
}
#endif

// Reading the same file over and over gives the same answer and leaks no
// descriptors (the file is released on every call).
#ifndef _WIN32
TEST_F(ProfileReaderTest, FileIsReleasedAfterEachRead) {
  const std::string path = Write("setup.ini", "[prg]\nname=value\n");
  const long before = static_cast<long>(
      std::distance(fs::directory_iterator("/proc/self/fd"), fs::directory_iterator{}));
  for (int i = 0; i < 2000; ++i) ASSERT_EQ(ReadProfileString(path, "prg", "name"), "value");
  const long after = static_cast<long>(
      std::distance(fs::directory_iterator("/proc/self/fd"), fs::directory_iterator{}));
  EXPECT_EQ(before, after);
  // And the file can be replaced right away.
  ASSERT_TRUE(fs::remove(path));
  Write("setup.ini", "[prg]\nname=new\n");
  EXPECT_EQ(ReadProfileString(path, "prg", "name"), "new");
}
#endif

// The decoded file is kept between reads while it stays the same file with
// the same size and times; a file rewritten meanwhile is read anew, even at
// the same size with its modification time set back (its change time moved).
#ifndef _WIN32
TEST_F(ProfileReaderTest, ChangedFileIsSeenThoughItsTextIsKept) {
  const timespec past[2] = {{time(nullptr) - 60, 0}, {time(nullptr) - 60, 0}};
  const auto identity = [](const std::string& path) {
    struct stat st {};
    stat(path.c_str(), &st);
    return std::tuple(st.st_ino, st.st_size, st.st_ctim.tv_sec, st.st_ctim.tv_nsec);
  };
  const struct {
    const char* how;
    std::function<void()> change;
  } cases[] = {
      {"rewritten in place", [&] { Write("setup.ini", "[prg]\nname=new\n"); }},
      {"replaced", [&] { fs::rename(Write("new.ini", "[prg]\nname=new\n"), Path("setup.ini")); }},
  };
  for (const auto& c : cases) {
    const std::string path = Write("setup.ini", "[prg]\nname=old\n");
    ASSERT_EQ(utimensat(AT_FDCWD, path.c_str(), past, 0), 0);
    ASSERT_EQ(ReadProfileString(path, "prg", "name"), "old") << c.how;
    const auto before = identity(path);
    // Until the file shows it: the clock behind the change time is coarse.
    do {
      c.change();
      ASSERT_EQ(utimensat(AT_FDCWD, path.c_str(), past, 0), 0);
    } while (identity(path) == before);
    EXPECT_EQ(ReadProfileString(path, "prg", "name"), "new") << c.how;
  }
}
#endif

// The conversions on their own, where the file reader cannot show them.

TEST(TextDecodeTest, Utf8ToUtf16ReplacesEachBadSequence) {
  struct {
    const char* what;
    std::string in;
    std::u16string out;
  } const cases[] = {
      {"ASCII", "abc", u"abc"},
      {"two to four bytes", "é€\xF0\x9F\x98\x80", u"é€\U0001F600"},
      {"lone continuation", "a\x80z", u"a\xFFFDz"},
      {"truncated at the end", "a\xE2\x82", u"a\xFFFD"},
      {"truncated then ASCII", "\xE2\x82z", u"\xFFFDz"},
      {"overlong two bytes", "\xC1\xBF", u"\xFFFD\xFFFD"},
      {"overlong three bytes", "\xE0\x80\x80", u"\xFFFD\xFFFD\xFFFD"},
      {"encoded surrogate", "\xED\xA0\x80", u"\xFFFD\xFFFD\xFFFD"},
      {"above U+10FFFF", "\xF4\x90\x80\x80", u"\xFFFD\xFFFD\xFFFD\xFFFD"},
      {"highest code point", "\xF4\x8F\xBF\xBF", u"\U0010FFFF"},
      {"F5 and up", "\xF5\xFF", u"\xFFFD\xFFFD"},
      {"NUL kept", "a\0b"s, u"a\0b"s},
  };
  for (const auto& c : cases) EXPECT_EQ(platform::Utf8ToUtf16(c.in), c.out) << c.what;
}

TEST(TextDecodeTest, Utf16ToUtf8ReplacesLoneSurrogates) {
  struct {
    std::u16string in;
    std::string out;
  } const cases[] = {
      {u"a\U0001F600", "a\xF0\x9F\x98\x80"},
      {u"\xD83D", "\xEF\xBF\xBD"},
      {u"\xDE00\xD83D", "\xEF\xBF\xBD\xEF\xBF\xBD"},
      {u"\xD83Dx", "\xEF\xBF\xBDx"},
      {u"\xD83D\xD83D\xDE00", "\xEF\xBF\xBD\xF0\x9F\x98\x80"},
      {u"\x7F\x80\x7FF\x800\xFFFF", "\x7F\xC2\x80\xDF\xBF\xE0\xA0\x80\xEF\xBF\xBF"},
  };
  for (const auto& c : cases) EXPECT_EQ(platform::Utf16ToUtf8(c.in), c.out);
}

TEST(TextDecodeTest, DetectsEncoding) {
  struct {
    const char* what;
    std::string in;
    std::u16string out;
  } const cases[] = {
      {"empty", "", u""},
      {"UTF-16 LE", "\xFF\xFE\x61\0\x16\x04"s, u"aЖ"},
      {"UTF-16 BE", "\xFE\xFF\0a\x04\x16"s, u"aЖ"},
      {"UTF-16 odd byte dropped", "\xFF\xFE\x61\0b"s, u"a"},
      {"UTF-8 BOM dropped", "\xEF\xBB\xBFЖ", u"Ж"},
      {"UTF-8", "Ж", u"Ж"},
      {"half a BOM is cp1251", "\xEF\xBB", u"п»"},
      {"cp1251", "\xC6\xE6", u"Жж"},
  };
  for (const auto& c : cases) EXPECT_EQ(platform::DecodeProfileText(c.in), c.out) << c.what;
}

// After a UTF-8 byte-order mark, as MultiByteToWideChar(CP_UTF8) reads it
// (checked against Wine by tests/wine/profile_diff).
TEST(TextDecodeTest, MarkedUtf8DecodesLikeWindows) {
  struct {
    const char* what;
    std::string in;
    std::u16string out;
  } const cases[] = {
      {"valid, one to four bytes", "a\xC3\xA9\xE2\x82\xAC\xF0\x9F\x98\x80", u"aé€\U0001F600"},
      {"lone continuation bytes", "\x80\xBFz", u"\xFFFD\xFFFDz"},
      {"C0, C1, F5 and up never lead", "\xC0\xAF\xC1\xBF\xF5\x80\xFF!",
       u"\xFFFD\xFFFD\xFFFD\xFFFD\xFFFD\xFFFD\xFFFD!"},
      {"overlong three bytes: lead and one", "\xE0\x80\x80!", u"\xFFFD\xFFFD!"},
      {"overlong four bytes: lead and one", "\xF0\x80\x80\x80!", u"\xFFFD\xFFFD\xFFFD!"},
      {"encoded surrogate: lead and one", "\xED\xA0\x80!", u"\xFFFD\xFFFD!"},
      {"above U+10FFFF: lead and one", "\xF4\x90\x80\x80!", u"\xFFFD\xFFFD\xFFFD!"},
      {"cut by another character", "\xE2\x82z\xC3!", u"\xFFFDz\xFFFD!"},
      {"cut by the end takes the rest", "a\xF0\x41", u"a\xFFFD"},
      {"cut by the end", "a\xE2\x82", u"a\xFFFD"},
      {"highest code point", "\xF4\x8F\xBF\xBF", u"\U0010FFFF"},
  };
  for (const auto& c : cases)
    EXPECT_EQ(platform::DecodeProfileText("\xEF\xBB\xBF" + c.in), c.out) << c.what;
}

#ifdef HAVE_ICONV
// Every byte of Windows-1251 against the C library's table.
TEST(TextDecodeTest, Cp1251MatchesIconv) {
  iconv_t cd = iconv_open("UTF-16LE", "CP1251");
  if (cd == reinterpret_cast<iconv_t>(-1)) GTEST_SKIP() << "no CP1251 in iconv";
  for (int b = 0x80; b <= 0xFF; ++b) {
    if (b == 0x98) continue;  // no character there
    char in[1] = {static_cast<char>(b)};
    char out[4] = {};
    char* inp = in;
    char* outp = out;
    std::size_t inLeft = 1, outLeft = sizeof out;
    ASSERT_NE(iconv(cd, &inp, &inLeft, &outp, &outLeft), static_cast<std::size_t>(-1)) << b;
    const auto expected = static_cast<char16_t>(static_cast<unsigned char>(out[0]) |
                                                static_cast<unsigned char>(out[1]) << 8);
    // A byte that is not UTF-8 on its own, so the file is taken as cp1251.
    EXPECT_EQ(platform::DecodeProfileText(std::string(1, static_cast<char>(b))),
              std::u16string(1, expected))
        << std::hex << b;
  }
  iconv_close(cd);
  // No character there; Windows maps the byte to U+0098.
  EXPECT_EQ(platform::DecodeProfileText("\x98"), u"\x0098");
}
#endif

// The parser on its own: no file, same answers.
TEST(ProfileParserTest, WorksOnBytes) {
  EXPECT_EQ(platform::LookupProfileValue("[prg]\nname=value", "prg", "name"), "value");
  EXPECT_EQ(platform::LookupProfileValue("", "prg", "name"), "");
  EXPECT_EQ(platform::LookupProfileValue("[prg]\nname=value", "prg\0x"s, "name"), "value");
  EXPECT_EQ(platform::LookupProfileValue("[prg]\nname=value", "prg", "\xFF"), "");
  // Empty names are names too: ReadProfileString answers "" for them without
  // reading, but the parser answers as Windows does.
  EXPECT_EQ(platform::LookupProfileValue("name=value\n[prg]\nname=v2", "", "name"), "value");
  EXPECT_EQ(platform::LookupProfileValue("[prg]\nname=v\n=value\n", "prg", ""), "value");
  EXPECT_EQ(platform::LookupProfileValue("[]\nname=value", "", "name"), "");
}

}  // namespace
