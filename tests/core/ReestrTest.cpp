// Database server detection: the rules over a registry of the test's own,
// the UDF directory on the real file system, the POSIX source over scratch
// trees and the machine's own server, and under Windows (Wine) the real
// registry with its 32-bit and 64-bit views.

#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <map>
#include <memory>
#include <string>
#include <system_error>
#include <tuple>
#include <vector>

#include "TestSupport.h"
#include "dbserver/Reestr.h"
#include "platform/Platform.h"
#include "platform/Registry.h"

#ifdef _WIN32
#include <windows.h>

#include "platform/win32/Wide.h"
#endif

using namespace testing_support;
using dbserver::DetectServer;
using dbserver::ServerMajorVersion;
using dbserver::ServerRootDir;
using dbserver::ServerUdfDir;
using dbserver::ServerVersion;

namespace {

namespace fs = std::filesystem;

const std::string kIB = platform::kInterBaseKey;
const std::string kFB = platform::kFirebirdKey;

fs::path PathOf(const std::string& utf8) { return fs::path(std::u8string(utf8.begin(), utf8.end())); }

// ---------------------------------------------------------------------------
// A registry of the test's own.

struct FakeValue {
  bool IsString = true;  // false: a DWORD, which no string read accepts
  std::string Data;
};
FakeValue Sz(const std::string& data) { return {true, data}; }
FakeValue Dword() { return {false, ""}; }

using FakeKeys = std::map<std::string, std::map<std::string, FakeValue>>;

struct FakeRegistry {
  FakeKeys Keys;
  bool Creatable = true;
  // What the detection did.
  std::vector<std::uint32_t> Accesses;
  std::vector<std::string> Opened;  // every attempt, found or not
  std::vector<std::uint32_t> Roots;
  int OpenKeys = 0;  // opened and not yet closed
  int LiveReaders = 0;

  platform::RegistryFactory Factory();
};

class FakeReader : public platform::IRegistryReader {
 public:
  explicit FakeReader(FakeRegistry& r) : r_(r) { ++r_.LiveReaders; }
  ~FakeReader() override { --r_.LiveReaders; }

  bool OpenKey(std::uint32_t root, const std::string& key) override {
    CloseKey();
    r_.Opened.push_back(key);
    r_.Roots.push_back(root);
    auto it = r_.Keys.find(key);
    if (root != platform::kHKeyLocalMachine || it == r_.Keys.end()) return false;
    open_ = &it->second;
    ++r_.OpenKeys;
    return true;
  }
  bool ReadString(const std::string& name, std::string& value) override {
    value.clear();
    if (!open_) return false;
    auto it = open_->find(name);
    if (it == open_->end()) return true;
    if (!it->second.IsString) return false;
    value = it->second.Data;
    return true;
  }
  void CloseKey() override {
    if (open_) --r_.OpenKeys;
    open_ = nullptr;
  }

 private:
  FakeRegistry& r_;
  std::map<std::string, FakeValue>* open_ = nullptr;
};

platform::RegistryFactory FakeRegistry::Factory() {
  return [this](std::uint32_t access) -> std::unique_ptr<platform::IRegistryReader> {
    Accesses.push_back(access);
    if (!Creatable) return nullptr;
    return std::make_unique<FakeReader>(*this);
  };
}

struct Results {
  std::string Root, Udf, Version;
  std::int32_t Major;
};

void ExpectResults(const Results& want) {
  EXPECT_EQ(ServerRootDir, want.Root);
  EXPECT_EQ(ServerUdfDir, want.Udf);
  EXPECT_EQ(ServerVersion, want.Version);
  EXPECT_EQ(ServerMajorVersion, want.Major);
  EXPECT_EQ(dbserver::ServerInstalled(), !want.Root.empty());
}

// Leaves the results as the program starts with them.
class Reestr : public ::testing::Test {
 protected:
  void TearDown() override { DetectServer(platform::RegistryFactory()); }
};

// ---------------------------------------------------------------------------
// The detection rules.

struct DetectCase {
  const char* Name;
  FakeKeys Keys;
  Results Want;
  std::vector<std::string> Opened;
};

const DetectCase kDetectCases[] = {
    {"NothingRegistered", {}, {"", "", "", -1}, {kIB, kFB}},
    {"InterBaseHidesFirebird",
     {{kIB, {{"RootDirectory", Sz("C:\\Program Files\\Borland\\InterBase")}, {"Version", Sz("WI-V7.5.1.80")}}},
      {kFB, {{"DefaultInstance", Sz("C:\\Program Files\\Firebird\\Firebird_2_5\\")}}}},
     {"C:\\Program Files\\Borland\\InterBase\\", "C:\\Program Files\\Borland\\InterBase\\UDF\\", "WI-V7.5.1.80", 7},
     {kIB}},
    {"InterBaseDirectoryKeepsItsBackslash",
     {{kIB, {{"RootDirectory", Sz("C:\\IB\\")}, {"Version", Sz("WI-V6.0.1.6")}}}},
     {"C:\\IB\\", "C:\\IB\\UDF\\", "WI-V6.0.1.6", 6},
     {kIB}},
    {"InterBaseWithoutVersion",
     {{kIB, {{"RootDirectory", Sz("D:\\InterBase")}}}},
     {"D:\\InterBase\\", "D:\\InterBase\\UDF\\", "", -1},
     {kIB}},
    {"FirebirdOneFiveBeatsTwoFive",
     {{kFB, {{"DefaultInstance", Sz("C:\\FB_1_5\\Firebird_2_5")}}}},
     {"C:\\FB_1_5\\Firebird_2_5\\", "C:\\FB_1_5\\Firebird_2_5\\UDF\\", "1.5", 6},
     {kIB, kFB}},
    {"FirebirdLastMarkerWins",
     {{kFB, {{"DefaultInstance", Sz("C:\\Firebird_2_0\\Firebird_2_5\\")}}}},
     {"C:\\Firebird_2_0\\Firebird_2_5\\", "C:\\Firebird_2_0\\Firebird_2_5\\UDF\\", "2.5", 6},
     {kIB, kFB}},
    {"FirebirdTwoOneAfterTwoZero",
     {{kFB, {{"DefaultInstance", Sz("C:\\Firebird_2_1\\old_2_0")}}}},
     {"C:\\Firebird_2_1\\old_2_0\\", "C:\\Firebird_2_1\\old_2_0\\UDF\\", "2.1", 6},
     {kIB, kFB}},
    {"FirebirdTwoZero",
     {{kFB, {{"DefaultInstance", Sz("C:\\Firebird\\Firebird_2_0\\")}}}},
     {"C:\\Firebird\\Firebird_2_0\\", "C:\\Firebird\\Firebird_2_0\\UDF\\", "2.0", 6},
     {kIB, kFB}},
    {"FirebirdWithoutMarker",
     {{kFB, {{"DefaultInstance", Sz("C:\\Program Files\\Firebird\\Firebird_3_0\\")}}}},
     {"C:\\Program Files\\Firebird\\Firebird_3_0\\", "C:\\Program Files\\Firebird\\Firebird_3_0\\UDF\\", "", 6},
     {kIB, kFB}},
    {"FirebirdNonAsciiAndUnexpanded",
     {{kFB, {{"DefaultInstance", Sz("%ProgramFiles%\\Сервер Firebird_2_1")}}}},
     {"%ProgramFiles%\\Сервер Firebird_2_1\\", "%ProgramFiles%\\Сервер Firebird_2_1\\UDF\\", "2.1", 6},
     {kIB, kFB}},
    {"InterBaseKeyWithoutDirectoryTellsVersion",
     {{kIB, {{"RootDirectory", Sz("")}, {"Version", Sz("WI-V6.0.1.6")}}}},
     {"", "", "WI-V6.0.1.6", 6},
     {kIB, kFB}},
    {"InterBaseKeyWithoutDirectoryValue",
     {{kIB, {{"Version", Sz("WI-V7.1.0.1")}}}, {kFB, {{"DefaultInstance", Sz("")}}}},
     {"", "", "WI-V7.1.0.1", 7},
     {kIB, kFB}},
    {"FirebirdWithoutMarkerKeepsInterBaseVersion",
     {{kIB, {{"RootDirectory", Sz("")}, {"Version", Sz("WI-V6.0.1.6")}}},
      {kFB, {{"DefaultInstance", Sz("C:\\Firebird\\")}}}},
     {"C:\\Firebird\\", "C:\\Firebird\\UDF\\", "WI-V6.0.1.6", 6},
     {kIB, kFB}},
    {"FirebirdMarkerReplacesInterBaseVersion",
     {{kIB, {{"RootDirectory", Sz("")}, {"Version", Sz("WI-V7.5.1.80")}}},
      {kFB, {{"DefaultInstance", Sz("C:\\Firebird_2_5")}}}},
     {"C:\\Firebird_2_5\\", "C:\\Firebird_2_5\\UDF\\", "2.5", 6},
     {kIB, kFB}},
    {"FirebirdKeyWithoutDirectory", {{kFB, {{"DefaultInstance", Sz("")}}}}, {"", "", "", -1}, {kIB, kFB}},
    // A failed read abandons everything, whatever was read before it.
    {"InterBaseDirectoryNotAString",
     {{kIB, {{"RootDirectory", Dword()}, {"Version", Sz("WI-V7.5.1.80")}}},
      {kFB, {{"DefaultInstance", Sz("C:\\Firebird_2_5")}}}},
     {"", "", "", -1},
     {kIB}},
    {"InterBaseVersionNotAString",
     {{kIB, {{"RootDirectory", Sz("C:\\IB")}, {"Version", Dword()}}}},
     {"", "", "", -1},
     {kIB}},
    {"FirebirdDirectoryNotAString",
     {{kIB, {{"RootDirectory", Sz("")}, {"Version", Sz("WI-V6.0.1.6")}}}, {kFB, {{"DefaultInstance", Dword()}}}},
     {"", "", "", -1},
     {kIB, kFB}},
};

class DetectRules : public Reestr, public ::testing::WithParamInterface<DetectCase> {};

TEST_P(DetectRules, Results) {
  const DetectCase& c = GetParam();
  FakeRegistry reg;
  reg.Keys = c.Keys;
  DetectServer(reg.Factory());

  ExpectResults(c.Want);
  EXPECT_EQ(reg.Opened, c.Opened);
  EXPECT_EQ(reg.Accesses, std::vector<std::uint32_t>{0x20019u});
  for (std::uint32_t root : reg.Roots) EXPECT_EQ(root, 0x80000002u);
  EXPECT_EQ(reg.OpenKeys, 0) << "a key was left open";
  EXPECT_EQ(reg.LiveReaders, 0) << "the reader was not released";
}

INSTANTIATE_TEST_SUITE_P(Reestr, DetectRules, ::testing::ValuesIn(kDetectCases),
                         [](const auto& info) { return std::string(info.param.Name); });

// The major version from InterBase's version text; the text itself is kept.
struct VersionCase {
  const char* Version;
  std::int32_t Major;
};

class MajorVersion : public Reestr, public ::testing::WithParamInterface<VersionCase> {};

TEST_P(MajorVersion, Parsed) {
  FakeRegistry reg;
  reg.Keys = {{kIB, {{"RootDirectory", Sz("C:\\IB")}, {"Version", Sz(GetParam().Version)}}}};
  DetectServer(reg.Factory());
  EXPECT_EQ(ServerMajorVersion, GetParam().Major);
  EXPECT_EQ(ServerVersion, GetParam().Version);
}

INSTANTIATE_TEST_SUITE_P(Reestr, MajorVersion,
                         ::testing::Values(VersionCase{"WI-V6.0.1.6", 6}, VersionCase{"WI-V7.5.1.80", 7},
                                           VersionCase{"WI-V10", -1}, VersionCase{"WI-T6.0", -1},
                                           VersionCase{"WI-Vx.1", -1}, VersionCase{"WI-V.1", -1},
                                           VersionCase{"InterBase XE WI-V10.0.5.595", 10},
                                           VersionCase{"WI-V6.5 WI-V7.0", 6}, VersionCase{"wi-v7.0", -1},
                                           VersionCase{"LI-V6.0.1.6", -1}, VersionCase{"WI-V-2.0", -2},
                                           VersionCase{"WI-V+3.0", 3}, VersionCase{"WI-V+-3.0", -1},
                                           VersionCase{"WI-V 6.0", -1}, VersionCase{"WI-V6a.0", -1},
                                           VersionCase{"WI-V2147483647.0", 2147483647},
                                           VersionCase{"WI-V2147483648.0", -1},
                                           VersionCase{"WI-V99999999999999999999.0", -1}));

TEST_F(Reestr, ReaderThatCannotBeCreatedLeavesNothingBehind) {
  FakeRegistry reg;
  reg.Keys = {{kIB, {{"RootDirectory", Sz("C:\\IB")}, {"Version", Sz("WI-V7.5.1.80")}}}};
  DetectServer(reg.Factory());
  ASSERT_TRUE(dbserver::ServerInstalled());

  reg.Creatable = false;
  reg.Opened.clear();
  DetectServer(reg.Factory());
  ExpectResults({"", "", "", -1});
  EXPECT_TRUE(reg.Opened.empty());

  DetectServer(reg.Factory());  // an empty factory counts the same
  DetectServer(platform::RegistryFactory());
  ExpectResults({"", "", "", -1});
}

TEST_F(Reestr, EachDetectionReplacesEverything) {
  FakeRegistry reg;
  reg.Keys = {{kIB, {{"RootDirectory", Sz("C:\\IB")}, {"Version", Sz("WI-V7.5.1.80")}}}};
  DetectServer(reg.Factory());
  ExpectResults({"C:\\IB\\", "C:\\IB\\UDF\\", "WI-V7.5.1.80", 7});

  reg.Keys = {{kFB, {{"DefaultInstance", Sz("C:\\Firebird\\")}}}};
  DetectServer(reg.Factory());
  ExpectResults({"C:\\Firebird\\", "C:\\Firebird\\UDF\\", "", 6});

  reg.Keys = {{kIB, {{"RootDirectory", Sz("")}, {"Version", Sz("WI-T6.0")}}}};
  DetectServer(reg.Factory());
  ExpectResults({"", "", "WI-T6.0", -1});

  reg.Keys = {{kFB, {{"DefaultInstance", Sz("C:\\Firebird_2_5")}}}};
  DetectServer(reg.Factory());
  reg.Keys = {{kFB, {{"DefaultInstance", Dword()}}}};
  DetectServer(reg.Factory());
  ExpectResults({"", "", "", -1});

  reg.Keys = {};
  DetectServer(reg.Factory());
  ExpectResults({"", "", "", -1});
}

// ---------------------------------------------------------------------------
// The UDF directory on the file system.

// Detects an InterBase server installed in `dir`.
void DetectInterBaseAt(const std::string& dir) {
  FakeRegistry reg;
  reg.Keys = {{kIB, {{"RootDirectory", Sz(dir)}, {"Version", Sz("WI-V7.5.1.80")}}}};
  DetectServer(reg.Factory());
}

TEST_F(Reestr, NoServerNoUdfDirectory) {
  DetectServer(platform::RegistryFactory());
  const fs::path here = fs::current_path();
  const bool hadUdf = fs::exists(here / "UDF");
  EXPECT_FALSE(dbserver::UdfDirExists());
  dbserver::CreateUdfDir();
  EXPECT_FALSE(dbserver::UdfDirExists());
  EXPECT_EQ(fs::exists(here / "UDF"), hadUdf);
}

TEST_F(Reestr, CreateUdfDirMakesOneLevel) {
  TempDir tmp;
  // Without and with the trailing backslash the registry may give.
  for (const std::string& root : {Utf8Path(tmp.Path() / "Сервер"), Utf8Path(tmp.Path() / "IB") + "\\"}) {
    SCOPED_TRACE(root);
    fs::create_directory(PathOf(platform::NativePath(root)));
    DetectInterBaseAt(root);
    EXPECT_FALSE(dbserver::UdfDirExists());
    dbserver::CreateUdfDir();
    EXPECT_TRUE(dbserver::UdfDirExists());
    EXPECT_TRUE(fs::is_directory(PathOf(platform::NativePath(root)) / "UDF"));
    dbserver::CreateUdfDir();  // already there: no harm
    EXPECT_TRUE(dbserver::UdfDirExists());
  }

  // The server's own directory is never made.
  const std::string missing = Utf8Path(tmp.Path() / "missing");
  DetectInterBaseAt(missing);
  dbserver::CreateUdfDir();
  EXPECT_FALSE(dbserver::UdfDirExists());
  EXPECT_FALSE(fs::exists(tmp.Path() / "missing"));

  // A file in the way is no directory.
  tmp.Write("filed/UDF", "x");
  DetectInterBaseAt(Utf8Path(tmp.Path() / "filed"));
  dbserver::CreateUdfDir();
  EXPECT_FALSE(dbserver::UdfDirExists());
}

TEST_F(Reestr, UdfDirExistsFollowsLinks) {
  TempDir tmp;
  tmp.MakeDir("elsewhere");
  tmp.MakeDir("server");
  std::error_code ec;
  fs::create_directory_symlink(tmp.Path() / "elsewhere", tmp.Path() / "server" / "UDF", ec);
  if (ec) GTEST_SKIP() << "no symbolic links here: " << ec.message();
  DetectInterBaseAt(Utf8Path(tmp.Path() / "server"));
  EXPECT_TRUE(dbserver::UdfDirExists());
#ifndef _WIN32
  // A link that leads nowhere is not a directory (Windows calls a directory
  // link a directory by its own attributes).
  tmp.MakeDir("other");
  fs::create_symlink(tmp.Path() / "nowhere", tmp.Path() / "other" / "UDF", ec);
  ASSERT_FALSE(ec) << ec.message();
  DetectInterBaseAt(Utf8Path(tmp.Path() / "other"));
  EXPECT_FALSE(dbserver::UdfDirExists());
#endif
}

#ifndef _WIN32
// ---------------------------------------------------------------------------
// The POSIX source of the two keys.

struct TreeCase {
  const char* Name;
  std::vector<std::string> Files;  // relative to the scratch root
  std::string InterBaseDir;        // relative; empty: the key does not open
  std::string FirebirdDir;
};

const TreeCase kTreeCases[] = {
    {"Nothing", {}, "", ""},
    {"OptFirebird", {"opt/firebird/firebird.conf", "opt/firebird/bin/fbguard"}, "", "opt/firebird"},
    {"DebianServer",
     {"usr/lib/x86_64-linux-gnu/firebird/3.0/firebird.conf", "usr/lib/x86_64-linux-gnu/firebird/3.0/UDF/ib_udf.so"},
     "",
     "usr/lib/x86_64-linux-gnu/firebird/3.0"},
    {"DebianClientOnly",
     {"usr/lib/x86_64-linux-gnu/firebird/3.0/firebird.msg", "usr/lib/x86_64-linux-gnu/firebird/3.0/lib/libfbclient.so.2"},
     "",
     ""},
    {"HighestDebianVersion",
     {"usr/lib/aarch64-linux-gnu/firebird/2.5/firebird.conf", "usr/lib/aarch64-linux-gnu/firebird/4.0/firebird.conf",
      "usr/lib/aarch64-linux-gnu/firebird/10.0/firebird.conf", "usr/lib/aarch64-linux-gnu/firebird/11.0/firebird.msg",
      "usr/lib/aarch64-linux-gnu/firebird/current/firebird.conf"},
     "",
     "usr/lib/aarch64-linux-gnu/firebird/10.0"},
    {"OlderDebianLayout", {"usr/lib/firebird/2.5/firebird.conf"}, "", "usr/lib/firebird/2.5"},
    {"OptBeforeDebian",
     {"opt/firebird/firebird.conf", "usr/lib/x86_64-linux-gnu/firebird/3.0/firebird.conf"},
     "",
     "opt/firebird"},
    {"NotATripletDirectory", {"usr/lib/python3/firebird/3.0/firebird.conf"}, "", ""},
    {"InterBase", {"opt/interbase/ibconfig", "opt/interbase/bin/ibserver"}, "opt/interbase", ""},
    {"OldServerInInterBasePlace", {"opt/interbase/isc_config"}, "opt/interbase", ""},
    {"InterBaseDirectoryWithoutServer", {"opt/interbase/bin/isql"}, "", ""},
    {"Both", {"opt/interbase/ibconfig", "opt/firebird/firebird.conf"}, "opt/interbase", "opt/firebird"},
};

class PosixSource : public ::testing::TestWithParam<TreeCase> {};

TEST_P(PosixSource, Keys) {
  const TreeCase& c = GetParam();
  TempDir tmp;
  for (const std::string& f : c.Files) tmp.Write(f, "x");
  const std::string root = Utf8Path(tmp.Path());

  auto reg = platform::CreateRegistryReaderAt(platform::kKeyRead, root + "/");
  ASSERT_TRUE(reg);
  std::string value = "stale";
  EXPECT_FALSE(reg->ReadString("RootDirectory", value)) << "no key is open";
  EXPECT_EQ(value, "");

  for (const auto& [key, valueName, want] :
       {std::tuple{kIB, "RootDirectory", c.InterBaseDir}, std::tuple{kFB, "DefaultInstance", c.FirebirdDir}}) {
    SCOPED_TRACE(key);
    ASSERT_EQ(reg->OpenKey(platform::kHKeyLocalMachine, key), !want.empty());
    if (want.empty()) continue;
    value = "stale";
    EXPECT_TRUE(reg->ReadString(valueName, value));
    EXPECT_EQ(value, root + "/" + want);
    value = "stale";
    EXPECT_TRUE(reg->ReadString("Version", value));
    EXPECT_EQ(value, "");
    reg->CloseKey();
    EXPECT_FALSE(reg->ReadString(valueName, value));
  }
}

INSTANTIATE_TEST_SUITE_P(Reestr, PosixSource, ::testing::ValuesIn(kTreeCases),
                         [](const auto& info) { return std::string(info.param.Name); });

TEST(ReestrPosixSource, NamesIgnoreCaseAndOtherRootsDoNotOpen) {
  TempDir tmp;
  tmp.Write("opt/firebird/firebird.conf", "x");
  const std::string root = Utf8Path(tmp.Path());
  auto reg = platform::CreateRegistryReaderAt(platform::kKeyRead, root);

  EXPECT_FALSE(reg->OpenKey(0x80000001u, kFB)) << "HKEY_CURRENT_USER";
  EXPECT_FALSE(reg->OpenKey(platform::kHKeyLocalMachine, "Software\\FireBird Project"));
  ASSERT_TRUE(reg->OpenKey(platform::kHKeyLocalMachine, "SOFTWARE\\firebird project\\Firebird Server\\INSTANCES"));
  std::string value;
  EXPECT_TRUE(reg->ReadString("defaultinstance", value));
  EXPECT_EQ(value, root + "/opt/firebird");
  EXPECT_TRUE(reg->ReadString("Something Else", value));
  EXPECT_EQ(value, "");
  // A failed open closes the key that was open.
  EXPECT_FALSE(reg->OpenKey(platform::kHKeyLocalMachine, kIB));
  EXPECT_FALSE(reg->ReadString("DefaultInstance", value));
}

TEST_F(Reestr, DetectsThroughPosixSource) {
  TempDir tmp;
  tmp.Write("usr/lib/x86_64-linux-gnu/firebird/2.5/firebird.conf", "x");
  const std::string root = Utf8Path(tmp.Path());
  DetectServer([&](std::uint32_t access) { return platform::CreateRegistryReaderAt(access, root); });
  const std::string dir = root + "/usr/lib/x86_64-linux-gnu/firebird/2.5\\";
  ExpectResults({dir, dir + "UDF\\", "", 6});

  EXPECT_FALSE(dbserver::UdfDirExists());
  dbserver::CreateUdfDir();
  EXPECT_TRUE(dbserver::UdfDirExists());
  EXPECT_TRUE(fs::is_directory(tmp.Path() / "usr/lib/x86_64-linux-gnu/firebird/2.5/UDF"));

  // InterBase comes first, as on Windows.
  tmp.Write("opt/interbase/ibconfig", "x");
  DetectServer([&](std::uint32_t access) { return platform::CreateRegistryReaderAt(access, root); });
  ExpectResults({root + "/opt/interbase\\", root + "/opt/interbase\\UDF\\", "", -1});
}

// The server Debian installs on this machine (firebird3.0-server).
TEST_F(Reestr, DetectsTheInstalledServer) {
  std::error_code ec;
  if (fs::exists("/opt/interbase", ec)) GTEST_SKIP() << "an InterBase directory would come first";
  std::vector<std::string> servers;  // each with the backslash the detection adds
  if (fs::is_regular_file("/opt/firebird/firebird.conf", ec)) servers.push_back("/opt/firebird\\");
  for (const auto& lib : fs::directory_iterator("/usr/lib", ec)) {
    if (lib.path().filename().string().find("-linux-") == std::string::npos) continue;
    std::error_code none;
    for (const auto& ver : fs::directory_iterator(lib.path() / "firebird", none)) {
      if (fs::is_regular_file(ver.path() / "firebird.conf", ec)) servers.push_back(ver.path().string() + "\\");
    }
  }
  if (servers.empty()) GTEST_SKIP() << "no Firebird server installed";

  DetectServer();
  ASSERT_TRUE(dbserver::ServerInstalled());
  if (servers.size() == 1 || servers.front() == "/opt/firebird\\") {
    EXPECT_EQ(ServerRootDir, servers.front());
  } else {
    EXPECT_NE(std::find(servers.begin(), servers.end(), ServerRootDir), servers.end()) << ServerRootDir;
  }
  EXPECT_EQ(ServerUdfDir, ServerRootDir + "UDF\\");
  EXPECT_EQ(ServerMajorVersion, 6);
  EXPECT_EQ(dbserver::UdfDirExists(), fs::is_directory(PathOf(platform::NativePath(ServerUdfDir))));
}
#endif  // !_WIN32

#ifdef _WIN32
// ---------------------------------------------------------------------------
// The real registry. The keys are written for the test and removed after it;
// a machine where a server is registered is left alone.

std::wstring W(const std::string& s) { return platform::Wide(s); }

bool KeyExists(const wchar_t* key) {
  HKEY h = nullptr;
  if (RegOpenKeyExW(HKEY_LOCAL_MACHINE, key, 0, KEY_READ, &h) != ERROR_SUCCESS) return false;
  RegCloseKey(h);
  return true;
}

class WindowsRegistry : public Reestr {
 protected:
  void SetUp() override {
    if (KeyExists(L"Software\\Borland\\InterBase") || KeyExists(L"Software\\FireBird Project"))
      GTEST_SKIP() << "a database server is registered here";
    borlandWasThere_ = KeyExists(L"Software\\Borland");
    HKEY h = nullptr;
    if (RegCreateKeyExW(HKEY_LOCAL_MACHINE, L"Software\\FireBird Project", 0, nullptr, 0, KEY_WRITE, nullptr, &h,
                        nullptr) != ERROR_SUCCESS)
      GTEST_SKIP() << "no right to write HKEY_LOCAL_MACHINE";
    RegCloseKey(h);
    mine_ = true;
  }

  void TearDown() override {
    if (mine_) {
      RegDeleteTreeW(HKEY_LOCAL_MACHINE, L"Software\\FireBird Project");
      RegDeleteKeyW(HKEY_LOCAL_MACHINE, L"Software\\FireBird Project");
      const wchar_t* ib = borlandWasThere_ ? L"Software\\Borland\\InterBase" : L"Software\\Borland";
      RegDeleteTreeW(HKEY_LOCAL_MACHINE, ib);
      RegDeleteKeyW(HKEY_LOCAL_MACHINE, ib);
    }
    Reestr::TearDown();
  }

  static void SetValue(const std::string& key, const std::string& name, DWORD type, const void* data, DWORD size) {
    HKEY h = nullptr;
    ASSERT_EQ(RegCreateKeyExW(HKEY_LOCAL_MACHINE, W(key).c_str(), 0, nullptr, 0, KEY_WRITE, nullptr, &h, nullptr),
              ERROR_SUCCESS);
    EXPECT_EQ(RegSetValueExW(h, W(name).c_str(), 0, type, static_cast<const BYTE*>(data), size), ERROR_SUCCESS);
    RegCloseKey(h);
  }
  // Text with its terminator, as programs usually store it.
  static void SetText(const std::string& key, const std::string& name, const std::string& text,
                      DWORD type = REG_SZ) {
    const std::wstring w = W(text);
    SetValue(key, name, type, w.c_str(), static_cast<DWORD>((w.size() + 1) * sizeof(wchar_t)));
  }
  static void RemoveKey(const std::string& key) { RegDeleteTreeW(HKEY_LOCAL_MACHINE, W(key).c_str()); }

 private:
  bool mine_ = false;
  bool borlandWasThere_ = false;
};

TEST_F(WindowsRegistry, DetectsFromTheRegistry) {
  SetText(kIB, "RootDirectory", "C:\\Program Files\\Borland\\InterBase");
  SetText(kIB, "Version", "WI-V7.5.1.80");
  SetText(kFB, "DefaultInstance", "C:\\Program Files\\Firebird\\Firebird_2_5\\");
  DetectServer();
  ExpectResults({"C:\\Program Files\\Borland\\InterBase\\", "C:\\Program Files\\Borland\\InterBase\\UDF\\",
                 "WI-V7.5.1.80", 7});

  // Without InterBase: Firebird, its expandable text kept as it stands.
  RemoveKey(kIB);
  SetText(kFB, "DefaultInstance", "%ProgramFiles%\\Firebird\\Сервер_2_1", REG_EXPAND_SZ);
  DetectServer();
  ExpectResults({"%ProgramFiles%\\Firebird\\Сервер_2_1\\", "%ProgramFiles%\\Firebird\\Сервер_2_1\\UDF\\", "2.1", 6});

  // The text ends at its first NUL; data without a terminator reads whole.
  const wchar_t cut[] = L"C:\\FB_2_0\0_2_5\\";
  SetValue(kFB, "DefaultInstance", REG_SZ, cut, sizeof cut);
  DetectServer();
  ExpectResults({"C:\\FB_2_0\\", "C:\\FB_2_0\\UDF\\", "2.0", 6});
  const wchar_t bare[] = {L'C', L':', L'\\', L'F', L'B'};
  SetValue(kFB, "DefaultInstance", REG_SZ, bare, sizeof bare);
  DetectServer();
  ExpectResults({"C:\\FB\\", "C:\\FB\\UDF\\", "", 6});

  // A value of another type is a failed read: nothing is published.
  const DWORD number = 25;
  SetValue(kFB, "DefaultInstance", REG_DWORD, &number, sizeof number);
  SetText(kIB, "RootDirectory", "");
  SetText(kIB, "Version", "WI-V6.0.1.6");
  DetectServer();
  ExpectResults({"", "", "", -1});

  // Empty data reads as empty, whatever its type.
  SetValue(kFB, "DefaultInstance", REG_BINARY, nullptr, 0);
  DetectServer();
  ExpectResults({"", "", "WI-V6.0.1.6", 6});
}

TEST_F(WindowsRegistry, PlatformReader) {
  SetText(kIB, "Version", "WI-V6.0.1.6");
  const DWORD number = 6;
  SetValue(kIB, "Major", REG_DWORD, &number, sizeof number);

  auto reg = platform::CreateRegistryReader(platform::kKeyRead);
  ASSERT_TRUE(reg);
  std::string value = "stale";
  EXPECT_FALSE(reg->ReadString("Version", value)) << "no key is open";
  EXPECT_FALSE(reg->OpenKey(platform::kHKeyLocalMachine, "Software\\Borland\\InterBase\\Missing"));
  EXPECT_FALSE(KeyExists(L"Software\\Borland\\InterBase\\Missing")) << "opening must not create";
  EXPECT_FALSE(reg->OpenKey(0x80000001u, kIB)) << "HKEY_CURRENT_USER has no such key";

  ASSERT_TRUE(reg->OpenKey(platform::kHKeyLocalMachine, kIB));
  EXPECT_TRUE(reg->ReadString("Version", value));
  EXPECT_EQ(value, "WI-V6.0.1.6");
  EXPECT_TRUE(reg->ReadString("version", value)) << "names ignore case";
  EXPECT_EQ(value, "WI-V6.0.1.6");
  value = "stale";
  EXPECT_TRUE(reg->ReadString("Missing", value));
  EXPECT_EQ(value, "");
  EXPECT_FALSE(reg->ReadString("Major", value));
  reg->CloseKey();
  EXPECT_FALSE(reg->ReadString("Version", value));

  // The mask is used as given: a reader without read rights cannot open.
  auto blind = platform::CreateRegistryReader(0);
  ASSERT_TRUE(blind);
  if (blind->OpenKey(platform::kHKeyLocalMachine, kIB)) {
    EXPECT_FALSE(blind->ReadString("Version", value));
  }
}

// ---------------------------------------------------------------------------
// Registry views. On 64-bit Windows the menu, a 32-bit program, reads
// HKLM\Software through the 32-bit view, where the 32-bit server installers
// register; a key only in the 64-bit view is not there for it. The keys are
// written into one view explicitly and removed from both after each case.

enum class View { k32, k64 };
constexpr View kViews[] = {View::k32, View::k64};
REGSAM ViewFlag(View view) { return view == View::k32 ? KEY_WOW64_32KEY : KEY_WOW64_64KEY; }

bool KeyExistsIn(View view, const std::string& key) {
  HKEY h = nullptr;
  if (RegOpenKeyExW(HKEY_LOCAL_MACHINE, W(key).c_str(), 0, KEY_READ | ViewFlag(view), &h) != ERROR_SUCCESS)
    return false;
  RegCloseKey(h);
  return true;
}

struct ViewValue {
  View In;
  std::string Key, Name, Text;
};

struct ViewCase {
  const char* Name;
  std::vector<ViewValue> Values;
  Results Want;
};

void PrintTo(const ViewCase& c, std::ostream* os) { *os << c.Name; }

const std::string kFB32 = "C:\\Program Files (x86)\\Firebird\\Firebird_2_5";
const std::string kFB64 = "C:\\Program Files\\Firebird\\Firebird_2_1";

const ViewCase kViewCases[] = {
    {"FirebirdIn32BitView",
     {{View::k32, kFB, "DefaultInstance", kFB32}},
     {kFB32 + "\\", kFB32 + "\\UDF\\", "2.5", 6}},
    {"FirebirdIn64BitViewOnly", {{View::k64, kFB, "DefaultInstance", kFB64}}, {"", "", "", -1}},
    {"InterBaseIn32BitView",
     {{View::k32, kIB, "RootDirectory", "C:\\Program Files (x86)\\Borland\\InterBase"},
      {View::k32, kIB, "Version", "WI-V7.5.1.80"}},
     {"C:\\Program Files (x86)\\Borland\\InterBase\\", "C:\\Program Files (x86)\\Borland\\InterBase\\UDF\\",
      "WI-V7.5.1.80", 7}},
    {"InterBaseIn64BitViewOnly",
     {{View::k64, kIB, "RootDirectory", "C:\\Program Files\\Borland\\InterBase"},
      {View::k64, kIB, "Version", "WI-V7.5.1.80"}},
     {"", "", "", -1}},
    // A 64-bit InterBase must not hide the 32-bit Firebird.
    {"InterBase64BitFirebird32Bit",
     {{View::k64, kIB, "RootDirectory", "C:\\Program Files\\Borland\\InterBase"},
      {View::k32, kFB, "DefaultInstance", kFB32}},
     {kFB32 + "\\", kFB32 + "\\UDF\\", "2.5", 6}},
    {"BothViewsThe32BitOneCounts",
     {{View::k64, kFB, "DefaultInstance", kFB64}, {View::k32, kFB, "DefaultInstance", kFB32}},
     {kFB32 + "\\", kFB32 + "\\UDF\\", "2.5", 6}},
};

class RegistryViews : public Reestr, public ::testing::WithParamInterface<ViewCase> {
 protected:
  void SetUp() override {
    // A 64-bit build runs and fails: it would miss the 32-bit servers.
#ifndef _WIN64
    BOOL wow64 = FALSE;
    if (!IsWow64Process(GetCurrentProcess(), &wow64) || !wow64)
      GTEST_SKIP() << "32-bit Windows has one registry view";
#endif
    for (View view : kViews) {
      if (KeyExistsIn(view, "Software\\Borland\\InterBase") || KeyExistsIn(view, "Software\\FireBird Project"))
        GTEST_SKIP() << "a database server is registered here";
      borlandWasThere_[static_cast<int>(view)] = KeyExistsIn(view, "Software\\Borland");
      HKEY software = nullptr;
      if (RegOpenKeyExW(HKEY_LOCAL_MACHINE, L"Software", 0, KEY_CREATE_SUB_KEY | ViewFlag(view), &software) !=
          ERROR_SUCCESS)
        GTEST_SKIP() << "no right to write HKEY_LOCAL_MACHINE";
      RegCloseKey(software);
    }
    mine_ = true;
  }

  // Leaf first: a key with subkeys is not deleted, so nothing outside the
  // test's own keys can go.
  void TearDown() override {
    if (mine_) {
      for (View view : kViews) {
        std::vector<std::string> keys = {kFB, "Software\\FireBird Project\\Firebird Server",
                                         "Software\\FireBird Project", kIB, "Software\\Borland\\InterBase"};
        if (!borlandWasThere_[static_cast<int>(view)]) keys.push_back("Software\\Borland");
        for (const std::string& key : keys) RegDeleteKeyExW(HKEY_LOCAL_MACHINE, W(key).c_str(), ViewFlag(view), 0);
        for (const std::string& key : keys) EXPECT_FALSE(KeyExistsIn(view, key)) << "left behind: " << key;
      }
    }
    Reestr::TearDown();
  }

  static void Write(const ViewValue& v) {
    HKEY h = nullptr;
    ASSERT_EQ(RegCreateKeyExW(HKEY_LOCAL_MACHINE, W(v.Key).c_str(), 0, nullptr, 0, KEY_WRITE | ViewFlag(v.In),
                              nullptr, &h, nullptr),
              ERROR_SUCCESS);
    const std::wstring text = W(v.Text);
    EXPECT_EQ(RegSetValueExW(h, W(v.Name).c_str(), 0, REG_SZ, reinterpret_cast<const BYTE*>(text.c_str()),
                             static_cast<DWORD>((text.size() + 1) * sizeof(wchar_t))),
              ERROR_SUCCESS);
    RegCloseKey(h);
  }

 private:
  bool mine_ = false;
  bool borlandWasThere_[2] = {};
};

TEST_P(RegistryViews, Detection) {
  const ViewCase& c = GetParam();
  for (const ViewValue& v : c.Values) ASSERT_NO_FATAL_FAILURE(Write(v));
  // Otherwise the views are one here and the case proves nothing.
  for (const ViewValue& v : c.Values) {
    const View other = v.In == View::k32 ? View::k64 : View::k32;
    const bool written = std::any_of(c.Values.begin(), c.Values.end(),
                                     [&](const ViewValue& w) { return w.In == other && w.Key == v.Key; });
    if (!written) {
      ASSERT_FALSE(KeyExistsIn(other, v.Key)) << v.Key << " shows in both views";
    }
  }

  DetectServer();
  ExpectResults(c.Want);
}

INSTANTIATE_TEST_SUITE_P(Reestr, RegistryViews, ::testing::ValuesIn(kViewCases),
                         [](const auto& info) { return std::string(info.param.Name); });
#endif  // _WIN32

}  // namespace
