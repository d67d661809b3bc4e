// The probe with the client library as the menu, a 32-bit program, finds it
// through the system's library search: a 32-bit gds32.dll is loaded and
// called the stdcall way; a 64-bit one found first is no library at all for
// it. Each test needs a process of its own (a loaded library stays loaded);
// ctest runs them so.

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "StandInClient.h"
#include "dbserver/Probe.h"
#include "platform/Library.h"
#include "platform/win32/Win.h"

namespace {

const std::string kNotFound =
    "InterBase library gds32.dll not found in the path. Please install InterBase to use this functionality.";

// The stand-in's folder beside the test program joins the library search
// after the program's own folder, where no gds32.dll lies.
void SearchIn(const wchar_t* folder) {
  ASSERT_EQ(GetModuleHandleW(L"gds32.dll"), nullptr) << "gds32.dll is loaded already: run one test per process";
  wchar_t exe[MAX_PATH];
  const DWORD length = GetModuleFileNameW(nullptr, exe, MAX_PATH);
  ASSERT_TRUE(length > 0 && length < MAX_PATH);
  std::wstring path(exe, length);
  path = path.substr(0, path.find_last_of(L"\\/") + 1) + folder;
  ASSERT_TRUE(SetDllDirectoryW(path.c_str()));
}

TEST(ClientLibrary, ProbeCallsThe32BitLibrary) {
  ASSERT_NO_FATAL_FAILURE(SearchIn(L"client32"));
  struct Case {
    const char* Name;
    intptr_t Attach, Detach;
    bool Result;
    int Detaches;
  };
  const Case cases[] = {
      {"accepted and released", 0, 0, true, 1},
      {"attach refused", 335544472, 0, false, 0},
      {"detach fails", 0, 335544559, false, 1},
  };
  const std::vector<unsigned char> block = dbserver::BuildServiceParameterBlock("sysdba", "ravarizez");

  // Loaded the way the probe loads it, so the probe finds it loaded.
  const auto state = reinterpret_cast<TStandInStateProc>(
      platform::LibraryProc(platform::LoadSharedLibrary("gds32.dll"), "stand_in_state"));
  ASSERT_NE(state, nullptr) << "gds32.dll not found, or not the stand-in";
  TStandInState* stand = state();
  for (const Case& c : cases) {
    SCOPED_TRACE(c.Name);
    *stand = TStandInState{};
    stand->AttachResult = c.Attach;
    stand->DetachResult = c.Detach;
    EXPECT_EQ(dbserver::AttachService(dbserver::DefaultProbeSettings()), c.Result);
    EXPECT_EQ(stand->Attaches, 1);
    EXPECT_EQ(stand->Detaches, c.Detaches);
    EXPECT_EQ(std::string(stand->Name, stand->NameLength), "service_mgr");
    EXPECT_EQ(std::vector<unsigned char>(stand->Block, stand->Block + stand->BlockLength), block);
    EXPECT_EQ(stand->HandleOnEntry, nullptr);
    if (c.Detaches) {
      EXPECT_EQ(stand->HandleDetached, SKD_STAND_IN_HANDLE);
      // A caller that takes the library for cdecl removes the attach's
      // arguments a second time and runs 24 bytes off from then on, which a
      // frame pointer may hide. A right caller makes both calls from one
      // stack position: their arguments start (stored) or end (pushed) at
      // the same address.
      const uintptr_t attach = stand->AttachArgs, detach = stand->DetachArgs;
      EXPECT_TRUE(attach == detach || attach + 6 * 4 == detach + 2 * 4)
          << "the stack moved by " << static_cast<intptr_t>(detach - attach)
          << " bytes between attach and detach: wrong calling convention";
    }
  }
  EXPECT_EQ(platform::LibraryLoadCount(), 1) << "loaded again by a probe";
}

// The search of the program's folder, the system folders and PATH, less the
// current folder: a menu started from a folder holding a gds32.dll does not
// take it, nor through a "." on PATH; an absolute PATH folder still counts.
TEST(ClientLibrary, TheCurrentFolderNeverSuppliesIt) {
  ASSERT_EQ(GetModuleHandleW(L"gds32.dll"), nullptr) << "run one test per process";
  wchar_t exe[MAX_PATH];
  const DWORD length = GetModuleFileNameW(nullptr, exe, MAX_PATH);
  ASSERT_TRUE(length > 0 && length < MAX_PATH);
  std::wstring folder(exe, length);
  folder = folder.substr(0, folder.find_last_of(L"\\/") + 1) + L"client32";
  ASSERT_TRUE(SetCurrentDirectoryW(folder.c_str()));
  wchar_t oldPath[32767];
  const DWORD n = GetEnvironmentVariableW(L"PATH", oldPath, 32767);
  const std::wstring path(oldPath, n < 32767 ? n : 0);
  for (const std::wstring& extra : {std::wstring(), std::wstring(L".;"), std::wstring(L"client32;")}) {
    SetEnvironmentVariableW(L"PATH", (extra + path).c_str());
    EXPECT_EQ(platform::LoadSharedLibrary("gds32.dll"), nullptr) << "PATH " << extra.size();
  }
  SetEnvironmentVariableW(L"PATH", (folder + L";" + path).c_str());
  EXPECT_NE(platform::LoadSharedLibrary("gds32.dll"), nullptr);
  SetEnvironmentVariableW(L"PATH", path.c_str());
}

TEST(ClientLibrary, A64BitLibraryFoundFirstIsNotFound) {
  ASSERT_NO_FATAL_FAILURE(SearchIn(L"client64"));
  // The search does reach it, or this test would prove nothing.
  const HMODULE loaded = LoadLibraryW(L"gds32.dll");
  const DWORD error = GetLastError();
  ASSERT_EQ(loaded, nullptr);
  ASSERT_EQ(error, static_cast<DWORD>(ERROR_BAD_EXE_FORMAT))
      << "no 64-bit gds32.dll in client64 (built with x86_64-w64-mingw32-gcc)";

  try {
    dbserver::AttachService(dbserver::DefaultProbeSettings());
    ADD_FAILURE() << "no EClientLibraryNotFound";
  } catch (const dbserver::EClientLibraryNotFound& e) {
    EXPECT_EQ(e.what(), kNotFound);
  }
  EXPECT_EQ(platform::LibraryLoadCount(), 0);
}

}  // namespace
