// The probe's calls into the client library, seen by a stand-in library that
// records them and answers as told: what is passed, and which answers count
// as success.

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "StubClient.h"
#include "dbserver/Probe.h"
#include "platform/Library.h"

namespace {

TStubClientState& Stub() {
  void* library = platform::LoadSharedLibrary(SKD_STUB_CLIENT);
  EXPECT_NE(library, nullptr) << SKD_STUB_CLIENT;
  const auto state = reinterpret_cast<TStubStateProc>(platform::LibraryProc(library, "stub_state"));
  static TStubClientState none;
  return state ? *state() : none;
}

TEST(ProbeCalls, AnswersAndTheCallsThatFollow) {
  struct Case {
    const char* Name;
    std::intptr_t Attach, Detach;
    bool Result;
    int Detaches;
  };
  const Case cases[] = {
      {"accepted and released", 0, 0, true, 1},
      {"attach refused (login)", 335544472, 0, false, 0},
      {"attach refused (network)", 335544721, 0, false, 0},
      {"detach fails", 0, 335544559, false, 1},
      // Error codes are positive; anything else non-zero is no success either.
      {"odd negative attach result", -1, 0, false, 0},
      {"odd negative detach result", 0, -1, false, 1},
  };
  dbserver::TProbeSettings settings = dbserver::DefaultProbeSettings();
  settings.Libraries = {SKD_STUB_CLIENT};
  settings.ServiceName = "127.0.0.1/3050:service_mgr";
  const std::vector<unsigned char> block = dbserver::BuildServiceParameterBlock("sysdba", "ravarizez");
  for (const Case& c : cases) {
    SCOPED_TRACE(c.Name);
    TStubClientState& stub = Stub();
    stub = TStubClientState{};
    stub.AttachResult = c.Attach;
    stub.DetachResult = c.Detach;
    EXPECT_EQ(dbserver::AttachService(settings), c.Result);
    EXPECT_EQ(stub.Attaches, 1);
    EXPECT_EQ(stub.Detaches, c.Detaches);
    EXPECT_EQ(stub.HandleOnEntry, 0u);
    if (c.Detaches) {
      EXPECT_EQ(stub.HandleDetached, 0x5EC0u);
    }
    EXPECT_EQ(std::string(stub.Name, stub.NameLength), settings.ServiceName);
    EXPECT_EQ(std::vector<unsigned char>(stub.Block, stub.Block + stub.BlockLength), block);
  }
}

TEST(ProbeCalls, CredentialsTheBlockCannotCarryAreARefusal) {
  dbserver::TProbeSettings settings = dbserver::DefaultProbeSettings();
  settings.Libraries = {SKD_STUB_CLIENT};
  settings.Password = std::string(256, 'p');
  TStubClientState& stub = Stub();
  stub = TStubClientState{};
  bool result = true;
  EXPECT_NO_THROW(result = dbserver::AttachService(settings));
  EXPECT_FALSE(result);
  EXPECT_EQ(stub.Attaches, 0);
}

}  // namespace
