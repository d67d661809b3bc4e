#pragma once
// What kind of program a disc's installer is, and whether the menu will be
// able to start it: Windows programs (PE), Linux programs (ELF) and
// scripts (#!). The file system is reached only through FileProbe, so the
// classifier runs on any bytes (and under a fuzzer).

#include <cstdint>
#include <string>
#include <vector>

namespace disc {

class FileProbe {
 public:
  enum class Type { Missing, Regular, Directory, Other };
  struct Info {
    Type Kind = Type::Missing;
    bool Executable = false;  // the run bit, for this user
    std::string Real;         // the path with links resolved; "" unknown
  };
  virtual ~FileProbe() = default;
  // Follows links, as the kernel does for an interpreter.
  virtual Info Stat(const std::string& path) = 0;
  // Up to `size` bytes from `offset` of a regular file; fewer at its end.
  virtual std::string Read(const std::string& path, std::uint64_t offset, std::size_t size) = 0;
  // False where the machine that runs the Linux menu cannot be asked
  // (the Windows build of the check): interpreters are not looked up.
  virtual bool KnowsLinux() const = 0;
};

struct InstallerProblem {
  bool Fatal = false;  // the menu will not start it at all
  std::string Text;    // Russian, UTF-8
};

struct InstallerKind {
  std::string Kind;  // "программа Windows (x86, 32 бита)", ...
  std::vector<InstallerProblem> Problems;
};

// `path` names a regular file (already checked); `path` ends in its name.
InstallerKind ClassifyInstaller(const std::string& path, FileProbe& files);

}  // namespace disc
