#pragma once
// Is the local database server running, and does it accept the database
// administrator? Answered by attaching to its service manager through the
// client library's services API and detaching again at once.

#include <stdexcept>
#include <string>
#include <vector>

namespace dbserver {

struct TProbeSettings {
  std::vector<std::string> Libraries;  // tried in order; the first is the name in the error text
  std::string ServiceName;
  std::string User = "sysdba";
  std::string Password = "ravarizez";
};

// The client library and service of this platform. On Linux a bare
// "service_mgr" would attach the embedded engine, which answers with no
// server running, so the server is reached over the loopback instead.
TProbeSettings DefaultProbeSettings();

// The services parameter block: version, then user name and password, each
// with a one-byte length. Throws std::length_error for a text longer than
// such a length can say.
std::vector<unsigned char> BuildServiceParameterBlock(const std::string& user,
                                                      const std::string& password);

// No client library could be loaded. Not a refusal of the server: it ends the
// database command and reaches the application's general error box.
class EClientLibraryNotFound : public std::runtime_error {
 public:
  explicit EClientLibraryNotFound(const std::string& library);
};

// Attaches to the service manager and detaches right away. True only when
// both succeed; false for every refusal (server down, wrong password, no
// service manager, a library without the services API). Throws
// EClientLibraryNotFound when none of the libraries loads. The library is
// loaded once per process and stays loaded.
bool AttachService(const TProbeSettings& settings);

}  // namespace dbserver
