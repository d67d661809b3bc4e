// libFuzzer target for skddisc's installer classifier (PE, ELF, "#!").
//
// The input is the installer. The file system around it is made up: "/f"
// is the input itself, paths under "/d" are folders, under "/m" missing, and
// every other path is an executable whose bytes are the input again, so a
// "#!" line can name a chain of scripts or the script itself.
//
// Besides crashes and sanitizer reports it checks that every installer gets
// a kind, and that reads stay within what was asked.

#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string>

#include "disc/Installer.h"

namespace {

void Check(bool ok) {
  if (!ok) std::abort();
}

class MadeUp : public disc::FileProbe {
 public:
  MadeUp(const std::string& data, bool linux) : data_(data), linux_(linux) {}
  Info Stat(const std::string& path) override {
    Info info;
    if (path.rfind("/m", 0) == 0 || path.empty()) return info;
    info.Kind = path.rfind("/d", 0) == 0 ? Type::Directory : Type::Regular;
    info.Executable = info.Kind == Type::Regular && path != "/x";
    info.Real = path;
    return info;
  }
  std::string Read(const std::string& path, std::uint64_t offset, std::size_t size) override {
    Check(size <= (std::size_t{1} << 20));
    if (Stat(path).Kind != Type::Regular || offset >= data_.size()) return {};
    return data_.substr(static_cast<std::size_t>(offset), size);
  }
  bool KnowsLinux() const override { return linux_; }

 private:
  const std::string& data_;
  bool linux_;
};

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* bytes, std::size_t size) {
  const std::string data(reinterpret_cast<const char*>(bytes), size);
  for (const bool linux : {true, false}) {
    MadeUp files(data, linux);
    const disc::InstallerKind kind = disc::ClassifyInstaller("/f", files);
    Check(!kind.Kind.empty());
    for (const disc::InstallerProblem& p : kind.Problems) Check(!p.Text.empty());
  }
  return 0;
}
