#include "platform/FileCopy.h"

#include "platform/win32/Win.h"

#include <cstdio>
#include <random>

#include "platform/win32/Wide.h"

namespace platform {
namespace {

HANDLE Handle(std::intptr_t handle) { return reinterpret_cast<HANDLE>(handle); }
std::intptr_t Stored(HANDLE handle) { return reinterpret_cast<std::intptr_t>(handle); }
const std::intptr_t kNone = Stored(INVALID_HANDLE_VALUE);

// The directory part with its delimiter ("C:" for a drive-relative name,
// "" for a bare name in the current directory).
std::string DirectoryPrefix(const std::string& path) {
  const auto pos = path.find_last_of("\\/:");
  return pos == std::string::npos ? std::string() : path.substr(0, pos + 1);
}

// A name nobody else is likely to take; CREATE_NEW settles any clash.
std::string TemporaryName(const std::string& prefix) {
  static unsigned counter = 0;
  ULONGLONG bits =
      GetTickCount64() ^ (static_cast<ULONGLONG>(GetCurrentProcessId()) << 32) ^ ++counter;
  try {
    std::random_device rd;
    bits ^= (static_cast<ULONGLONG>(rd()) << 32) | rd();
  } catch (...) {
    // The clock and the counter will do.
  }
  char name[32];
  std::snprintf(name, sizeof name, "~skd%016llx.tmp", static_cast<unsigned long long>(bits));
  return prefix + name;
}

enum class TTarget { Absent, File, Device, Refused };

// What the destination is. Anything that cannot be opened to look at is
// treated as a file: the replacement then fails or succeeds on its own terms.
TTarget Classify(const std::wstring& path) {
  const HANDLE h =
      CreateFileW(path.c_str(), 0, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr,
                  OPEN_EXISTING, FILE_FLAG_BACKUP_SEMANTICS, nullptr);
  if (h == INVALID_HANDLE_VALUE)
    return GetLastError() == ERROR_FILE_NOT_FOUND ? TTarget::Absent : TTarget::File;
  TTarget result = TTarget::File;
  if (GetFileType(h) != FILE_TYPE_DISK) {
    result = TTarget::Device;
  } else {
    BY_HANDLE_FILE_INFORMATION info{};
    // A directory, or a read-only file that writing into would refuse too.
    if (GetFileInformationByHandle(h, &info) &&
        (info.dwFileAttributes & (FILE_ATTRIBUTE_DIRECTORY | FILE_ATTRIBUTE_READONLY)) != 0)
      result = TTarget::Refused;
  }
  CloseHandle(h);
  return result;
}

}  // namespace

bool TSourceFile::Open(const std::string& path) {
  Close();
  FHandle = Stored(CreateFileW(Wide(path).c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE,
                               nullptr, OPEN_EXISTING, FILE_FLAG_SEQUENTIAL_SCAN, nullptr));
  // A pipe or a device is no file to copy: reading it may never end.
  if (FHandle != kNone && GetFileType(Handle(FHandle)) != FILE_TYPE_DISK) {
    Close();
    SetLastError(ERROR_INVALID_FUNCTION);
  }
  return FHandle != kNone;
}

std::int64_t TSourceFile::Size() const {
  LARGE_INTEGER size{};
  return FHandle != kNone && GetFileSizeEx(Handle(FHandle), &size) ? size.QuadPart : -1;
}

std::int64_t TSourceFile::Read(char* buffer, std::size_t size) {
  DWORD n = 0;
  const DWORD want = size > 0x40000000 ? 0x40000000 : static_cast<DWORD>(size);
  if (!ReadFile(Handle(FHandle), buffer, want, &n, nullptr)) return -1;
  return n;
}

void TSourceFile::Close() {
  if (FHandle != kNone) CloseHandle(Handle(FHandle));
  FHandle = kNone;
}

TReplacingFile::~TReplacingFile() { Discard(); }

void TReplacingFile::Discard() {
  if (FHandle != kNone) CloseHandle(Handle(FHandle));
  FHandle = kNone;
  if (!FTemporary.empty()) DeleteFileW(Wide(FTemporary).c_str());
  FTemporary.clear();
}

bool TReplacingFile::Open(const std::string& path) {
  Discard();
  // No name: nothing to replace, and no new file in the current directory.
  if (path.empty()) {
    SetLastError(ERROR_PATH_NOT_FOUND);
    return false;
  }
  FTarget = path;
  const std::wstring target = Wide(path);
  switch (Classify(target)) {
    case TTarget::Refused:
      SetLastError(ERROR_ACCESS_DENIED);
      return false;
    case TTarget::Device:
      FHandle =
          Stored(CreateFileW(target.c_str(), GENERIC_WRITE, FILE_SHARE_READ | FILE_SHARE_WRITE,
                             nullptr, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr));
      return FHandle != kNone;
    case TTarget::Absent:
    case TTarget::File:
      break;
  }
  const std::string prefix = DirectoryPrefix(path);
  for (int attempt = 0; attempt < 100; ++attempt) {
    const std::string name = TemporaryName(prefix);
    const HANDLE h = CreateFileW(Wide(name).c_str(), GENERIC_WRITE, 0, nullptr, CREATE_NEW,
                                 FILE_ATTRIBUTE_NORMAL, nullptr);
    if (h == INVALID_HANDLE_VALUE) {
      const DWORD error = GetLastError();
      if (error == ERROR_FILE_EXISTS || error == ERROR_ALREADY_EXISTS) continue;
      return false;
    }
    FHandle = Stored(h);
    FTemporary = name;
    return true;
  }
  return false;
}

// Only a device is written in place here, and a new file beside the old one
// is discarded whole when the disk is full.
bool TReplacingFile::Reserve(std::int64_t) { return FHandle != kNone; }

std::size_t TReplacingFile::Write(const char* buffer, std::size_t size) {
  std::size_t done = 0;
  while (FHandle != kNone && done < size) {
    const std::size_t left = size - done;
    const DWORD chunk = left > 0x40000000 ? 0x40000000 : static_cast<DWORD>(left);
    DWORD n = 0;
    if (!WriteFile(Handle(FHandle), buffer + done, chunk, &n, nullptr) || n == 0) break;
    done += n;
  }
  return done;
}

bool TReplacingFile::Commit() {
  if (FHandle == kNone) return false;
  const HANDLE h = Handle(FHandle);
  FHandle = kNone;
  if (FTemporary.empty()) {
    // In place: nothing to move, and a device's close status says nothing.
    CloseHandle(h);
    return true;
  }
  // The data must be on disk before the name points at it.
  const bool flushed = FlushFileBuffers(h) != 0;
  const bool closed = CloseHandle(h) != 0;
  if (!flushed || !closed ||
      !MoveFileExW(Wide(FTemporary).c_str(), Wide(FTarget).c_str(),
                   MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH)) {
    Discard();
    return false;
  }
  FTemporary.clear();
  return true;
}

}  // namespace platform
