#pragma once
// The two ends of a file copy. The destination is replaced in one step, so a
// copy that fails or is cut short leaves it as it was. Paths are UTF-8.

#include <cstddef>
#include <cstdint>
#include <string>

namespace platform {

// A regular file opened for reading only (a FIFO or device is refused);
// closed when destroyed.
class TSourceFile {
 public:
  TSourceFile() = default;
  TSourceFile(const TSourceFile&) = delete;
  TSourceFile& operator=(const TSourceFile&) = delete;
  ~TSourceFile() { Close(); }

  bool Open(const std::string& path);
  // Bytes read (0 at the end of the file), or -1 on a read error.
  std::int64_t Read(char* buffer, std::size_t size);
  // The file's size when opened, -1 when unknown.
  std::int64_t Size() const;
  void Close();

 private:
  std::intptr_t FHandle = -1;
};

// The destination of a copy. A regular or absent file is written as a new
// file beside it, which takes its place at Commit; until then the old file is
// untouched, and a new file never committed is removed. What cannot be
// replaced that way (a device, a FIFO; on POSIX also a file whose owner would
// lose its access through the new file, or one in a folder that takes no new
// file) is written in place. A file that is there but not writable for us is
// refused, as is a directory.
class TReplacingFile {
 public:
  TReplacingFile() = default;
  TReplacingFile(const TReplacingFile&) = delete;
  TReplacingFile& operator=(const TReplacingFile&) = delete;
  ~TReplacingFile();

  bool Open(const std::string& path);
  // Makes room for `size` bytes before any is written. False when the
  // destination cannot take them; it is then as it was before Open.
  bool Reserve(std::int64_t size);
  // How many bytes the file took; fewer than `size` means it refused the rest.
  std::size_t Write(const char* buffer, std::size_t size);
  // Flushes the data to disk and puts the file in place. False leaves the
  // destination as it was before Open.
  bool Commit();

 private:
  void Discard();
  bool OpenInPlace();

  std::intptr_t FHandle = -1;
  std::string FTarget;     // the file to replace, native form
  std::string FTemporary;  // the new file beside it; empty when writing in place
  std::int64_t FWritten = 0;  // bytes written so far
  std::int64_t FStarted = 0;  // bytes whose write-back has been started
};

}  // namespace platform
