// A stand-in client library with the two services entry points: records what
// the probe passes and answers as the test tells it.

#include <cstring>

#include "StubClient.h"

namespace {

TStubClientState g_state;
constexpr unsigned int kHandle = 0x5EC0;

void Fill(std::intptr_t* status, std::intptr_t result) {
  status[0] = 1;  // isc_arg_gds
  status[1] = result;
  status[2] = 0;  // isc_arg_end
}

}  // namespace

extern "C" {

__attribute__((visibility("default"))) TStubClientState* stub_state() { return &g_state; }

__attribute__((visibility("default"))) std::intptr_t isc_service_attach(
    std::intptr_t* status, unsigned short nameLength, const char* name, unsigned int* handle,
    unsigned short blockLength, const char* block) {
  ++g_state.Attaches;
  g_state.NameLength = nameLength;
  std::memcpy(g_state.Name, name, nameLength < sizeof g_state.Name ? nameLength : sizeof g_state.Name);
  g_state.BlockLength = blockLength;
  std::memcpy(g_state.Block, block, blockLength < sizeof g_state.Block ? blockLength : sizeof g_state.Block);
  g_state.HandleOnEntry = *handle;
  Fill(status, g_state.AttachResult);
  if (g_state.AttachResult == 0) *handle = kHandle;
  return g_state.AttachResult;
}

__attribute__((visibility("default"))) std::intptr_t isc_service_detach(std::intptr_t* status,
                                                                        unsigned int* handle) {
  ++g_state.Detaches;
  g_state.HandleDetached = *handle;
  Fill(status, g_state.DetachResult);
  if (g_state.DetachResult == 0) *handle = 0;
  return g_state.DetachResult;
}

}  // extern "C"
