#pragma once
// The outside world as the menu needs it. One implementation per platform
// (posix/ or win32/), picked by the build. Strings are UTF-8.

#include <string>

namespace platform {

// Full path of the running executable, as long as it is.
std::string ExecutablePath();

// The platform's path separator ('\\' on Windows, '/' elsewhere).
char PathDelimiter();

// Configured paths use backslashes; on POSIX a backslash is a separator.
std::string NativePath(const std::string& path);

bool DirectoryExists(const std::string& path);
// A regular file: not a folder, nor a FIFO or device that reading would
// hang on.
bool FileExists(const std::string& path);

// Creates that one directory (not its parents); false when it could not.
bool MakeDirectory(const std::string& path);

}  // namespace platform
