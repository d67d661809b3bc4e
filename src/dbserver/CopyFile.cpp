#include "dbserver/CopyFile.h"

#include <exception>
#include <vector>

#include "platform/FileCopy.h"

namespace dbserver {

bool CopyOneFile(const std::string& Source, const std::string& Dest) {
  try {
    platform::TSourceFile source;
    if (!source.Open(Source)) return false;
    platform::TReplacingFile dest;
    if (!dest.Open(Dest)) return false;
    if (!dest.Reserve(source.Size())) return false;

    std::vector<char> buffer(kCopyBlockSize);
    for (;;) {
      const auto got = source.Read(buffer.data(), buffer.size());
      if (got < 0) return false;
      if (got == 0) break;
      const auto size = static_cast<std::size_t>(got);
      // A destination that takes less than it was given is full or refusing.
      if (dest.Write(buffer.data(), size) != size) return false;
    }
    // Source first: on Windows a file copied onto itself is then free to be
    // replaced.
    source.Close();
    return dest.Commit();
  } catch (const std::exception&) {
    // No memory for the buffer or a path: a failed copy like any other.
    return false;
  }
}

}  // namespace dbserver
