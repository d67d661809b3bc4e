#include "dbserver/Probe.h"

#include <cstdint>
#include <limits>
#include <type_traits>

#include "platform/Library.h"

namespace dbserver {

namespace {

// The services API as the client library exports it. Status words are
// pointer-sized; a service handle is a 32-bit number on 64-bit builds and a
// pointer on 32-bit ones. 32-bit Windows exports use the stdcall convention.
using ISC_STATUS = std::intptr_t;
using TServiceHandle = std::conditional_t<sizeof(void*) == 8, std::uint32_t, void*>;
#if defined(_WIN32) && !defined(_WIN64)
#define SKD_ISC_CALL __stdcall
#else
#define SKD_ISC_CALL
#endif
using TServiceAttach = ISC_STATUS(SKD_ISC_CALL*)(ISC_STATUS* status, unsigned short nameLength,
                                                 const char* name, TServiceHandle* handle,
                                                 unsigned short spbLength, const char* spb);
using TServiceDetach = ISC_STATUS(SKD_ISC_CALL*)(ISC_STATUS* status, TServiceHandle* handle);

constexpr std::size_t kStatusLength = 20;

constexpr unsigned char isc_spb_version = 2;
constexpr unsigned char isc_spb_current_version = 2;
constexpr unsigned char isc_spb_user_name = 28;
constexpr unsigned char isc_spb_password = 29;

void AppendItem(std::vector<unsigned char>& block, unsigned char tag, const std::string& text) {
  if (text.size() > std::numeric_limits<unsigned char>::max())
    throw std::length_error("service parameter longer than 255 bytes");
  block.push_back(tag);
  block.push_back(static_cast<unsigned char>(text.size()));
  block.insert(block.end(), text.begin(), text.end());
}

// The first library of the list that loads.
void* SelectClientLibrary(const std::vector<std::string>& libraries) {
  for (const std::string& name : libraries)
    if (void* library = platform::LoadSharedLibrary(name)) return library;
  throw EClientLibraryNotFound(libraries.empty() ? std::string() : libraries.front());
}

}  // namespace

TProbeSettings DefaultProbeSettings() {
  TProbeSettings settings;
#ifdef _WIN32
  settings.Libraries = {"gds32.dll"};
  settings.ServiceName = "service_mgr";
#else
  settings.Libraries = {"libfbclient.so.2", "libfbclient.so"};
  settings.ServiceName = "localhost:service_mgr";
#endif
  return settings;
}

std::vector<unsigned char> BuildServiceParameterBlock(const std::string& user,
                                                      const std::string& password) {
  std::vector<unsigned char> block{isc_spb_version, isc_spb_current_version};
  AppendItem(block, isc_spb_user_name, user);
  AppendItem(block, isc_spb_password, password);
  return block;
}

EClientLibraryNotFound::EClientLibraryNotFound(const std::string& library)
    : std::runtime_error("InterBase library " + library +
                         " not found in the path. Please install InterBase to use this "
                         "functionality.") {}

bool AttachService(const TProbeSettings& settings) {
  void* library = SelectClientLibrary(settings.Libraries);
  const auto attach = reinterpret_cast<TServiceAttach>(platform::LibraryProc(library, "isc_service_attach"));
  const auto detach = reinterpret_cast<TServiceDetach>(platform::LibraryProc(library, "isc_service_detach"));
  if (!attach || !detach) return false;

  // Credentials the block cannot carry, or a name the call cannot, would
  // be refused by any server: a refusal, not a fault.
  if (settings.ServiceName.size() > std::numeric_limits<unsigned short>::max()) return false;
  std::vector<unsigned char> spb;
  try {
    spb = BuildServiceParameterBlock(settings.User, settings.Password);
  } catch (const std::length_error&) {
    return false;
  }

  ISC_STATUS status[kStatusLength] = {};
  TServiceHandle handle{};
  // Any non-zero result is an error code; none of them may read as success.
  if (attach(status, static_cast<unsigned short>(settings.ServiceName.size()),
             settings.ServiceName.data(), &handle, static_cast<unsigned short>(spb.size()),
             reinterpret_cast<const char*>(spb.data())) != 0)
    return false;
  return detach(status, &handle) == 0;
}

}  // namespace dbserver
