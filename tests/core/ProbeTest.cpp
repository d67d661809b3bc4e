// The server probe without a server: the parameter block, the platform's
// settings, a client library that is missing or lacks the services API, and
// the run-time library cache beneath it.

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "dbserver/Probe.h"
#include "platform/Library.h"

using dbserver::AttachService;
using dbserver::BuildServiceParameterBlock;
using dbserver::EClientLibraryNotFound;
using dbserver::TProbeSettings;

namespace {

#ifdef _WIN32
// Always present, and without the services API.
const char* const kPlainLibrary = "kernel32.dll";
const char* const kPlainSymbol = "GetTickCount";
const char* const kMissingLibrary = "skd-no-such-client.dll";
const char* const kOtherMissingLibrary = "skd-no-such-client-either.dll";
#else
const char* const kPlainLibrary = "libm.so.6";
const char* const kPlainSymbol = "cos";
const char* const kMissingLibrary = "libskd-no-such-client.so.2";
const char* const kOtherMissingLibrary = "libskd-no-such-client.so";
#endif

std::string NotFoundText(const std::string& library) {
  return "InterBase library " + library +
         " not found in the path. Please install InterBase to use this functionality.";
}

// The text of the EClientLibraryNotFound that AttachService throws, or
// "no exception".
std::string AttachFailure(const TProbeSettings& settings) {
  try {
    AttachService(settings);
  } catch (const EClientLibraryNotFound& e) {
    return e.what();
  }
  return "no exception";
}

}  // namespace

TEST(ServiceParameterBlock, AdministratorBlockByteForByte) {
  const std::vector<unsigned char> expected = {
      2, 2,                                               // version, current version
      28, 6, 's', 'y', 's', 'd', 'b', 'a',                // user name
      29, 9, 'r', 'a', 'v', 'a', 'r', 'i', 'z', 'e', 'z'  // password
  };
  const TProbeSettings settings;
  EXPECT_EQ(BuildServiceParameterBlock(settings.User, settings.Password), expected);
}

TEST(ServiceParameterBlock, LengthsAndLimits) {
  struct Case {
    std::string User, Password;
    bool Fits;
  };
  const Case cases[] = {
      {"", "", true},
      {"u", std::string(255, 'p'), true},
      {std::string(255, 'u'), "p", true},
      // One more and the length byte would wrap: the block must be refused,
      // not sent with a wrong length.
      {"u", std::string(256, 'p'), false},
      {std::string(256, 'u'), "p", false},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(std::to_string(c.User.size()) + "/" + std::to_string(c.Password.size()));
    if (!c.Fits) {
      EXPECT_THROW(BuildServiceParameterBlock(c.User, c.Password), std::length_error);
      continue;
    }
    const auto block = BuildServiceParameterBlock(c.User, c.Password);
    ASSERT_EQ(block.size(), 6 + c.User.size() + c.Password.size());
    EXPECT_EQ(block[2], 28);
    EXPECT_EQ(block[3], c.User.size());
    const std::size_t p = 4 + c.User.size();
    EXPECT_EQ(std::string(block.begin() + 4, block.begin() + p), c.User);
    EXPECT_EQ(block[p], 29);
    EXPECT_EQ(block[p + 1], c.Password.size());
    EXPECT_EQ(std::string(block.begin() + p + 2, block.end()), c.Password);
  }
}

TEST(Probe, DefaultSettings) {
  const TProbeSettings settings = dbserver::DefaultProbeSettings();
#ifdef _WIN32
  EXPECT_EQ(settings.Libraries, std::vector<std::string>{"gds32.dll"});
  EXPECT_EQ(settings.ServiceName, "service_mgr");
#else
  EXPECT_EQ(settings.Libraries, (std::vector<std::string>{"libfbclient.so.2", "libfbclient.so"}));
  // A bare service name would attach the embedded engine, server or not.
  EXPECT_EQ(settings.ServiceName, "localhost:service_mgr");
#endif
  EXPECT_EQ(settings.User, "sysdba");
  EXPECT_EQ(settings.Password, "ravarizez");
}

TEST(Probe, NoLoadableLibraryThrowsNamingTheFirst) {
  struct Case {
    std::vector<std::string> Libraries;
    std::string Expected;
  };
  const Case cases[] = {
      {{kMissingLibrary}, NotFoundText(kMissingLibrary)},
      {{kMissingLibrary, kOtherMissingLibrary}, NotFoundText(kMissingLibrary)},
      {{}, NotFoundText("")},
      // A later name that loads is taken: a refusal, not a missing library.
      {{kMissingLibrary, kPlainLibrary}, "no exception"},
  };
  for (const Case& c : cases) {
    TProbeSettings settings = dbserver::DefaultProbeSettings();
    settings.Libraries = c.Libraries;
    EXPECT_EQ(AttachFailure(settings), c.Expected) << ::testing::PrintToString(c.Libraries);
  }
}

#ifdef _WIN32
TEST(Probe, MissingClientLibraryWithTheDefaultSettings) {
  const TProbeSettings settings = dbserver::DefaultProbeSettings();
  if (platform::LoadSharedLibrary(settings.Libraries.front()))
    GTEST_SKIP() << settings.Libraries.front() << " is installed here";
  // Wine has no gds32.dll: the text of the error box.
  EXPECT_EQ(AttachFailure(settings), NotFoundText("gds32.dll"));
}
#endif

TEST(Probe, LibraryWithoutTheServicesApiIsARefusal) {
  TProbeSettings settings = dbserver::DefaultProbeSettings();
  settings.Libraries = {kPlainLibrary};
  bool result = true;
  EXPECT_NO_THROW(result = AttachService(settings));
  EXPECT_FALSE(result);
  // Loaded once, then reused.
  const int loads = platform::LibraryLoadCount();
  EXPECT_FALSE(AttachService(settings));
  EXPECT_EQ(platform::LibraryLoadCount(), loads);
}

TEST(Library, LoadedOnceAndKept) {
  const int before = platform::LibraryLoadCount();
  void* first = platform::LoadSharedLibrary(kPlainLibrary);
  ASSERT_NE(first, nullptr);
  const int afterFirst = platform::LibraryLoadCount();
  EXPECT_LE(afterFirst - before, 1);  // an earlier test may have loaded it
  EXPECT_EQ(platform::LoadSharedLibrary(kPlainLibrary), first);
  EXPECT_EQ(platform::LibraryLoadCount(), afterFirst);

  EXPECT_NE(platform::LibraryProc(first, kPlainSymbol), nullptr);
  EXPECT_EQ(platform::LibraryProc(first, "isc_service_attach"), nullptr);
  EXPECT_EQ(platform::LibraryProc(nullptr, kPlainSymbol), nullptr);
}

TEST(Library, FailedLoadsAreNotCountedOrRemembered) {
  const int before = platform::LibraryLoadCount();
  for (const char* name : {kMissingLibrary, kMissingLibrary, ""})
    EXPECT_EQ(platform::LoadSharedLibrary(name), nullptr) << name;
  EXPECT_EQ(platform::LibraryLoadCount(), before);
}
