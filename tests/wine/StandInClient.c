/* The two services entry points of the client library, exported under their
   plain names with the calling convention of the real gds32.dll (stdcall on
   32-bit Windows): they record their arguments and answer as told. */
#include <string.h>

#include "StandInClient.h"

#ifdef _WIN64
#define ISC_CALL
#else
#define ISC_CALL __stdcall
#endif
#define EXPORT __declspec(dllexport)

static TStandInState state;

static void Fill(intptr_t* status, intptr_t result) {
  status[0] = 1; /* isc_arg_gds */
  status[1] = result;
  status[2] = 0; /* isc_arg_end */
}

static size_t Fit(size_t length, size_t room) { return length < room ? length : room; }

EXPORT TStandInState* stand_in_state(void) { return &state; }

EXPORT intptr_t ISC_CALL isc_service_attach(intptr_t* status, unsigned short nameLength, const char* name,
                                            void** handle, unsigned short blockLength, const char* block) {
  ++state.Attaches;
  state.AttachArgs = (uintptr_t)&status;
  state.NameLength = nameLength;
  memcpy(state.Name, name, Fit(nameLength, sizeof state.Name));
  state.BlockLength = blockLength;
  memcpy(state.Block, block, Fit(blockLength, sizeof state.Block));
  state.HandleOnEntry = *handle;
  Fill(status, state.AttachResult);
  if (state.AttachResult == 0) *handle = SKD_STAND_IN_HANDLE;
  return state.AttachResult;
}

EXPORT intptr_t ISC_CALL isc_service_detach(intptr_t* status, void** handle) {
  ++state.Detaches;
  state.DetachArgs = (uintptr_t)&status;
  state.HandleDetached = *handle;
  Fill(status, state.DetachResult);
  if (state.DetachResult == 0) *handle = 0;
  return state.DetachResult;
}
