#include "platform/Registry.h"

#include <algorithm>
#include <filesystem>
#include <string_view>
#include <system_error>
#include <vector>

#include "platform/Platform.h"

namespace platform {
namespace {

namespace fs = std::filesystem;

// Registry names ignore letter case.
bool SameName(std::string_view a, std::string_view b) {
  auto lower = [](char c) { return c >= 'A' && c <= 'Z' ? static_cast<char>(c - 'A' + 'a') : c; };
  return a.size() == b.size() && std::equal(a.begin(), a.end(), b.begin(),
                                            [&](char x, char y) { return lower(x) == lower(y); });
}

// "3.0" -> {3, 0}; a name that is no version gives nothing.
std::vector<unsigned long> VersionParts(const std::string& name) {
  std::vector<unsigned long> parts;
  unsigned long n = 0;
  bool digits = false;
  for (char c : name) {
    if (c >= '0' && c <= '9') {
      n = n * 10 + static_cast<unsigned long>(c - '0');
      digits = true;
    } else if (c == '.' && digits) {
      parts.push_back(n);
      n = 0;
      digits = false;
    } else {
      return {};
    }
  }
  if (!digits) return {};
  parts.push_back(n);
  return parts;
}

std::vector<std::string> Subdirectories(const std::string& dir) {
  std::vector<std::string> names;
  std::error_code ec;
  for (fs::directory_iterator it(dir, ec), end; !ec && it != end; it.increment(ec)) {
    if (it->is_directory(ec)) names.push_back(it->path().filename().string());
  }
  std::sort(names.begin(), names.end());
  return names;
}

// The server directories one <lib>/firebird holds, the highest version first.
void AddFirebirdVersions(const std::string& firebirdDir, std::vector<std::string>& out) {
  std::vector<std::string> names = Subdirectories(firebirdDir);
  std::stable_sort(names.begin(), names.end(), [](const std::string& a, const std::string& b) {
    return VersionParts(a) > VersionParts(b);
  });
  for (const std::string& name : names) out.push_back(firebirdDir + "/" + name);
}

bool HoldsFile(const std::string& dir, const char* name) {
  return FileExists(dir + "/" + name);
}

class PosixRegistryReader final : public IRegistryReader {
 public:
  explicit PosixRegistryReader(const std::string& fileSystemRoot) : root_(fileSystemRoot) {
    while (!root_.empty() && root_.back() == '/') root_.pop_back();
  }

  bool OpenKey(std::uint32_t root, const std::string& key) override {
    CloseKey();
    if (root != kHKeyLocalMachine) return false;
    if (SameName(key, kInterBaseKey)) {
      dir_ = FindInterBase();
      if (dir_.empty()) return false;
      key_ = Key::InterBase;
      return true;
    }
    if (SameName(key, kFirebirdKey)) {
      dir_ = FindFirebird();
      if (dir_.empty()) return false;
      key_ = Key::Firebird;
      return true;
    }
    return false;
  }

  bool ReadString(const std::string& name, std::string& value) override {
    value.clear();
    switch (key_) {
      case Key::None:
        return false;
      case Key::InterBase:
        if (SameName(name, "RootDirectory")) value = dir_;
        return true;
      case Key::Firebird:
        if (SameName(name, "DefaultInstance")) value = dir_;
        return true;
    }
    return false;
  }

  void CloseKey() override {
    key_ = Key::None;
    dir_.clear();
  }

 private:
  enum class Key { None, InterBase, Firebird };

  std::string FindInterBase() const {
    const std::string dir = root_ + "/opt/interbase";
    if (DirectoryExists(dir) && (HoldsFile(dir, "ibconfig") || HoldsFile(dir, "isc_config"))) return dir;
    return {};
  }

  // A client library alone also makes <lib>/firebird/<version>; only a
  // server's directory holds firebird.conf.
  std::string FindFirebird() const {
    std::vector<std::string> candidates{root_ + "/opt/firebird"};
    const std::string usrLib = root_ + "/usr/lib";
    for (const std::string& name : Subdirectories(usrLib)) {
      if (name.find("-linux-") != std::string::npos) AddFirebirdVersions(usrLib + "/" + name + "/firebird", candidates);
    }
    AddFirebirdVersions(usrLib + "/firebird", candidates);
    for (const std::string& dir : candidates) {
      if (DirectoryExists(dir) && HoldsFile(dir, "firebird.conf")) return dir;
    }
    return {};
  }

  std::string root_;
  Key key_ = Key::None;
  std::string dir_;
};

}  // namespace

std::unique_ptr<IRegistryReader> CreateRegistryReaderAt(std::uint32_t /*access*/,
                                                        const std::string& fileSystemRoot) {
  // Nothing here can be written, so every access mask reads alike.
  return std::make_unique<PosixRegistryReader>(fileSystemRoot);
}

std::unique_ptr<IRegistryReader> CreateRegistryReader(std::uint32_t access) {
  return CreateRegistryReaderAt(access, "/");
}

}  // namespace platform
