#pragma once
// Read-only access to the system registry, where the database servers say
// where they live. Windows reads the real registry; POSIX answers the same
// keys from the places where the servers are usually installed.

#include <cstdint>
#include <functional>
#include <memory>
#include <string>

namespace platform {

inline constexpr std::uint32_t kHKeyLocalMachine = 0x80000002u;
inline constexpr std::uint32_t kKeyRead = 0x20019u;

// The keys the servers register themselves under.
inline constexpr char kInterBaseKey[] = "Software\\Borland\\InterBase\\CurrentVersion";
inline constexpr char kFirebirdKey[] = "Software\\FireBird Project\\Firebird Server\\Instances";

// A registry reader in the manner of a TRegistry: one open key at a time.
class IRegistryReader {
 public:
  virtual ~IRegistryReader() = default;
  // Opens an existing key read-only (never creates). False when it does not
  // exist or cannot be opened. A key opened before is closed first.
  virtual bool OpenKey(std::uint32_t root, const std::string& key) = 0;
  // A string value of the open key. A missing value or empty data reads as
  // "" (true). False is a failed read: a value of a non-string type, or no
  // key open.
  virtual bool ReadString(const std::string& name, std::string& value) = 0;
  virtual void CloseKey() = 0;
};

// Creates the platform's reader with the given access mask; nullptr when it
// cannot be created.
using RegistryFactory = std::function<std::unique_ptr<IRegistryReader>(std::uint32_t access)>;
std::unique_ptr<IRegistryReader> CreateRegistryReader(std::uint32_t access);

#ifndef _WIN32
// The POSIX reader looking for the servers below `fileSystemRoot` instead of
// "/", so that a scratch tree can stand in for the machine.
//
// kInterBaseKey exists when <root>/opt/interbase holds a server (its
// "ibconfig", or "isc_config" of the old servers that took InterBase's place);
// "RootDirectory" is that directory, "Version" is absent.
// kFirebirdKey exists when a Firebird server directory holding
// "firebird.conf" is found: <root>/opt/firebird first, then Debian's
// <root>/usr/lib/<triplet>/firebird/<version> and <root>/usr/lib/firebird/<version>,
// the highest version first; "DefaultInstance" is that directory.
// Directories come without a trailing separator.
std::unique_ptr<IRegistryReader> CreateRegistryReaderAt(std::uint32_t access,
                                                        const std::string& fileSystemRoot);
#endif

}  // namespace platform
