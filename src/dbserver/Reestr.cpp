#include "dbserver/Reestr.h"

#include <charconv>
#include <string_view>
#include <system_error>

#include "platform/Platform.h"

namespace dbserver {

std::string ServerRootDir;
std::string ServerUdfDir;
std::string ServerVersion;
std::int32_t ServerMajorVersion = -1;

namespace {

enum ServerKind { kNone = -1, kInterBase = 0, kFirebird = 1 };

struct Found {
  ServerKind Kind = kNone;
  std::string Dir, UdfDir, Version;
};

// A found directory gets its trailing backslash and its UDF directory.
void TakeDirectory(Found& found) {
  if (found.Dir.back() != '\\') found.Dir += '\\';
  found.UdfDir = found.Dir + "UDF\\";
}

bool Contains(const std::string& text, std::string_view part) {
  return text.find(part) != std::string::npos;
}

// Reads both keys; false on a failed read, which abandons the detection.
// The key is closed in every outcome.
bool ReadServerKeys(platform::IRegistryReader& reg, Found& found) {
  if (reg.OpenKey(platform::kHKeyLocalMachine, platform::kInterBaseKey)) {
    const bool ok = [&] {
      if (!reg.ReadString("RootDirectory", found.Dir)) return false;
      if (!found.Dir.empty()) {
        found.Kind = kInterBase;
        TakeDirectory(found);
      }
      // Read even without a directory: the version may still be told.
      return reg.ReadString("Version", found.Version);
    }();
    reg.CloseKey();
    if (!ok) return false;
  }

  if (found.Kind == kInterBase) return true;
  if (!reg.OpenKey(platform::kHKeyLocalMachine, platform::kFirebirdKey)) return true;
  const bool ok = reg.ReadString("DefaultInstance", found.Dir);
  if (ok) {
    if (!found.Dir.empty()) {
      found.Kind = kFirebird;
      TakeDirectory(found);
    }
    // The installer names the instance directory after the version.
    if (Contains(found.Dir, "_1_5")) {
      found.Version = "1.5";
    } else {
      if (Contains(found.Dir, "_2_0")) found.Version = "2.0";
      if (Contains(found.Dir, "_2_1")) found.Version = "2.1";
      if (Contains(found.Dir, "_2_5")) found.Version = "2.5";
    }
  }
  reg.CloseKey();
  return ok;
}

// The major version from an InterBase version text such as "WI-V7.5.1.80";
// -1 when it has none.
std::int32_t MajorVersion(const std::string& version) {
  const std::size_t marker = version.find("WI-V");
  if (marker == std::string::npos) return -1;
  const std::string_view rest = std::string_view(version).substr(marker + 4);
  const std::size_t point = rest.find('.');
  if (point == std::string_view::npos) return -1;
  std::string_view number = rest.substr(0, point);
  // A signed decimal: from_chars takes the minus sign but not the plus.
  if (!number.empty() && number.front() == '+') {
    number.remove_prefix(1);
    if (number.empty() || number.front() == '-') return -1;
  }
  std::int32_t major = -1;
  const auto [end, ec] = std::from_chars(number.data(), number.data() + number.size(), major);
  if (number.empty() || ec != std::errc() || end != number.data() + number.size()) return -1;
  return major;
}

}  // namespace

void DetectServer() { DetectServer(platform::CreateRegistryReader); }

void DetectServer(const platform::RegistryFactory& factory) {
  ServerRootDir.clear();
  ServerUdfDir.clear();
  ServerVersion.clear();
  ServerMajorVersion = -1;

  std::unique_ptr<platform::IRegistryReader> reg = factory ? factory(platform::kKeyRead) : nullptr;
  if (!reg) return;

  Found found;
  if (!ReadServerKeys(*reg, found)) return;

  ServerRootDir = found.Dir;
  ServerUdfDir = found.UdfDir;
  ServerVersion = found.Version;
  ServerMajorVersion = found.Kind == kFirebird ? 6 : MajorVersion(found.Version);
}

bool ServerInstalled() { return !ServerRootDir.empty(); }

bool UdfDirExists() {
  if (ServerUdfDir.empty()) return false;
  return platform::DirectoryExists(ServerUdfDir);
}

void CreateUdfDir() {
  if (ServerUdfDir.empty()) return;
  platform::MakeDirectory(ServerUdfDir);  // a failure shows in UdfDirExists
}

}  // namespace dbserver
