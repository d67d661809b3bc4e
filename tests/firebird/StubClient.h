#pragma once
// What the stand-in client library saw, and what it is to answer.

#include <cstdint>

struct TStubClientState {
  std::intptr_t AttachResult = 0;  // returned by isc_service_attach
  std::intptr_t DetachResult = 0;  // returned by isc_service_detach
  int Attaches = 0, Detaches = 0;
  char Name[256] = {};
  unsigned short NameLength = 0;
  unsigned char Block[1024] = {};
  unsigned short BlockLength = 0;
  unsigned int HandleOnEntry = 0xFFFFFFFF;
  unsigned int HandleDetached = 0;
};

// Exported by the stand-in as "stub_state".
using TStubStateProc = TStubClientState* (*)();
