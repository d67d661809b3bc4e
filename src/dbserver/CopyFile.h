#pragma once
// The file copy of the database command: server libraries and the service
// database into the server's directories.

#include <cstddef>
#include <string>

namespace dbserver {

// Size of every read, through one buffer.
inline constexpr std::size_t kCopyBlockSize = 16384;

// Copies the file `Source` to `Dest` (full paths, UTF-8). True when the
// whole source arrived. A regular destination is replaced only once the copy
// is complete and on disk: on false it is as it was (or still absent), never
// partly written. A device destination is written in place.
bool CopyOneFile(const std::string& Source, const std::string& Dest);

}  // namespace dbserver
