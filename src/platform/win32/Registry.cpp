#include "platform/Registry.h"

#include "platform/win32/Win.h"

#include <string_view>
#include <vector>

#include "platform/win32/Wide.h"

namespace platform {
namespace {

// The predefined keys are sign-extended 32-bit values (HKEY_LOCAL_MACHINE is
// 0xFFFFFFFF80000002 in a 64-bit process).
HKEY RootHandle(std::uint32_t root) {
  return reinterpret_cast<HKEY>(static_cast<ULONG_PTR>(static_cast<LONG>(root)));
}

class Win32RegistryReader final : public IRegistryReader {
 public:
  explicit Win32RegistryReader(std::uint32_t access) : access_(access) {}
  ~Win32RegistryReader() override { CloseKey(); }
  Win32RegistryReader(const Win32RegistryReader&) = delete;
  Win32RegistryReader& operator=(const Win32RegistryReader&) = delete;

  bool OpenKey(std::uint32_t root, const std::string& key) override {
    CloseKey();
    HKEY opened = nullptr;
    if (RegOpenKeyExW(RootHandle(root), Wide(key).c_str(), 0, static_cast<REGSAM>(access_), &opened) !=
        ERROR_SUCCESS)
      return false;
    key_ = opened;
    return true;
  }

  bool ReadString(const std::string& name, std::string& value) override {
    value.clear();
    if (!key_) return false;
    const std::wstring wname = Wide(name);
    // The value may change between asking its size and reading it.
    for (int attempt = 0; attempt < 4; ++attempt) {
      DWORD type = REG_NONE;
      DWORD size = 0;
      LONG rc = RegQueryValueExW(key_, wname.c_str(), nullptr, &type, nullptr, &size);
      if (rc == ERROR_FILE_NOT_FOUND) return true;
      if (rc != ERROR_SUCCESS) return false;
      if (size == 0) return true;
      if (type != REG_SZ && type != REG_EXPAND_SZ) return false;

      // Room for an odd byte count and a terminator the data may lack.
      std::vector<wchar_t> buf(size / sizeof(wchar_t) + 2, L'\0');
      DWORD got = static_cast<DWORD>(buf.size() * sizeof(wchar_t));
      rc = RegQueryValueExW(key_, wname.c_str(), nullptr, &type, reinterpret_cast<BYTE*>(buf.data()), &got);
      if (rc == ERROR_MORE_DATA) continue;
      if (rc == ERROR_FILE_NOT_FOUND) return true;
      if (rc != ERROR_SUCCESS) return false;
      if (got == 0) return true;
      if (type != REG_SZ && type != REG_EXPAND_SZ) return false;

      // Expandable text stays unexpanded; the text ends at its first NUL.
      std::wstring_view text(buf.data(), got / sizeof(wchar_t));
      text = text.substr(0, text.find(L'\0'));
      value = Narrow(text);
      return true;
    }
    return false;
  }

  void CloseKey() override {
    if (key_) RegCloseKey(key_);
    key_ = nullptr;
  }

 private:
  std::uint32_t access_;
  HKEY key_ = nullptr;
};

}  // namespace

std::unique_ptr<IRegistryReader> CreateRegistryReader(std::uint32_t access) {
  return std::make_unique<Win32RegistryReader>(access);
}

}  // namespace platform
