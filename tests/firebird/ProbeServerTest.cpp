// The probe against real servers: the private Firebird instance that the
// test fixture runs on a loopback port of its own, and ports where nothing
// listens.

#include <gtest/gtest.h>

#include <arpa/inet.h>
#include <dirent.h>
#include <dlfcn.h>
#include <netinet/in.h>
#include <sys/socket.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cstdlib>

#include <climits>
#include <fstream>
#include <string>

#include "dbserver/Probe.h"
#include "platform/Library.h"

using dbserver::AttachService;
using dbserver::TProbeSettings;

namespace {

// Should the embedded engine ever be reached, its lock files go to a folder
// of ours, not to the machine server's. Set before the library is loaded.
const bool kPrivateLockDir = [] {
  const std::string dir = std::string(SKD_FIREBIRD_DIR) + "/client-lock";
  mkdir(SKD_FIREBIRD_DIR, 0700);
  mkdir(dir.c_str(), 0700);
  return setenv("FIREBIRD_LOCK", dir.c_str(), 1) == 0;
}();

int PrivateServerPort() {
  std::ifstream in(std::string(SKD_FIREBIRD_DIR) + "/port");
  int port = 0;
  in >> port;
  return port;
}

TProbeSettings SettingsFor(int port) {
  TProbeSettings settings = dbserver::DefaultProbeSettings();
  settings.ServiceName = "127.0.0.1/" + std::to_string(port) + ":service_mgr";
  return settings;
}

// Sockets this process holds: an attachment left behind keeps one open.
int OpenSockets() {
  int n = 0;
  DIR* d = opendir("/proc/self/fd");
  if (!d) return -1;
  while (const dirent* e = readdir(d)) {
    char target[PATH_MAX];
    const std::string link = std::string("/proc/self/fd/") + e->d_name;
    const ssize_t len = readlink(link.c_str(), target, sizeof target - 1);
    if (len > 0 && std::string(target, len).rfind("socket:", 0) == 0) ++n;
  }
  closedir(d);
  return n;
}

// A loopback port that nobody listens on (just released by us).
int UnusedPort() {
  const int s = socket(AF_INET, SOCK_STREAM, 0);
  sockaddr_in a{};
  a.sin_family = AF_INET;
  a.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
  socklen_t len = sizeof a;
  int port = 0;
  if (bind(s, reinterpret_cast<sockaddr*>(&a), sizeof a) == 0 &&
      getsockname(s, reinterpret_cast<sockaddr*>(&a), &len) == 0)
    port = ntohs(a.sin_port);
  close(s);
  return port;
}

bool Listening(int port) {
  const int s = socket(AF_INET, SOCK_STREAM, 0);
  sockaddr_in a{};
  a.sin_family = AF_INET;
  a.sin_port = htons(static_cast<std::uint16_t>(port));
  a.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
  const bool ok = connect(s, reinterpret_cast<sockaddr*>(&a), sizeof a) == 0;
  close(s);
  return ok;
}

class PrivateServer : public ::testing::Test {
 protected:
  void SetUp() override {
    port_ = PrivateServerPort();
    ASSERT_GT(port_, 0) << "the private server is not running: run these tests through ctest "
                           "(or \"ctest -R firebird.start\" first)";
  }
  int port_ = 0;
};

TEST_F(PrivateServer, AdministratorIsAcceptedAndTheAttachmentReleased) {
  const TProbeSettings settings = SettingsFor(port_);
  const int sockets = OpenSockets();
  EXPECT_TRUE(AttachService(settings));
  EXPECT_EQ(OpenSockets(), sockets);
  // Many in a row: nothing piles up on either side.
  for (int i = 0; i < 50; ++i) ASSERT_TRUE(AttachService(settings)) << "probe " << i;
  EXPECT_EQ(OpenSockets(), sockets);
}

TEST_F(PrivateServer, RefusalsAreFalseWithoutException) {
  struct Case {
    const char* Name;
    TProbeSettings Settings;
  };
  TProbeSettings wrongPassword = SettingsFor(port_);
  wrongPassword.Password = "ravarizex";
  TProbeSettings otherCase = SettingsFor(port_);
  otherCase.Password = "RAVARIZEZ";
  TProbeSettings emptyPassword = SettingsFor(port_);
  emptyPassword.Password.clear();
  TProbeSettings unknownUser = SettingsFor(port_);
  unknownUser.User = "skd_nobody";
  TProbeSettings noServiceManager = SettingsFor(port_);
  noServiceManager.ServiceName = "127.0.0.1/" + std::to_string(port_) + ":no_such_service";
  const int unused = UnusedPort();
  ASSERT_GT(unused, 0);
  const Case cases[] = {
      {"wrong password", wrongPassword},
      {"password in other letter case", otherCase},
      {"empty password", emptyPassword},
      {"unknown user", unknownUser},
      {"no service manager", noServiceManager},
      {"server not running", SettingsFor(unused)},
  };
  const int sockets = OpenSockets();
  for (const Case& c : cases) {
    bool result = true;
    EXPECT_NO_THROW(result = AttachService(c.Settings)) << c.Name;
    EXPECT_FALSE(result) << c.Name;
  }
  EXPECT_EQ(OpenSockets(), sockets);
  // The server is still there for the right password.
  EXPECT_TRUE(AttachService(SettingsFor(port_)));
}

TEST_F(PrivateServer, ClientLibraryIsLoadedOnce) {
  const TProbeSettings settings = SettingsFor(port_);
  const std::string library = settings.Libraries.front();
  void* already = dlopen(library.c_str(), RTLD_NOW | RTLD_NOLOAD);
  if (already) dlclose(already);
  const int before = platform::LibraryLoadCount();
  EXPECT_TRUE(AttachService(settings));
  const int afterFirst = platform::LibraryLoadCount();
  EXPECT_EQ(afterFirst - before, already ? 0 : 1);
  EXPECT_TRUE(AttachService(settings));
  EXPECT_EQ(platform::LibraryLoadCount(), afterFirst);
  // Still loaded after the probes: its threads may outlive them.
  void* kept = dlopen(library.c_str(), RTLD_NOW | RTLD_NOLOAD);
  EXPECT_NE(kept, nullptr);
  if (kept) dlclose(kept);
}

TEST(NoServer, DefaultSettingsAskARunningServer) {
  if (Listening(3050)) GTEST_SKIP() << "a server listens on the standard port here";
  // A bare service name would be answered by the embedded engine: true
  // with no server at all.
  bool result = true;
  EXPECT_NO_THROW(result = AttachService(dbserver::DefaultProbeSettings()));
  EXPECT_FALSE(result);
}

TEST(NoServer, MissingClientLibraryIsAnErrorNamingTheFirst) {
  TProbeSettings settings = dbserver::DefaultProbeSettings();
  settings.Libraries = {"libskd-no-such-client.so.2", "libskd-no-such-client.so"};
  try {
    AttachService(settings);
    ADD_FAILURE() << "no exception";
  } catch (const dbserver::EClientLibraryNotFound& e) {
    EXPECT_STREQ(e.what(),
                 "InterBase library libskd-no-such-client.so.2 not found in the path. Please "
                 "install InterBase to use this functionality.");
  }
}

}  // namespace
