/* A stand-in for the database client library gds32.dll: what the probe
   passed to it, and what it is to answer. Built 32-bit for the probe to load,
   and 64-bit to be found first and refused. C, for both compilers. */
#ifndef SKD_STAND_IN_CLIENT_H
#define SKD_STAND_IN_CLIENT_H

#include <stdint.h>

typedef struct TStandInState {
  intptr_t AttachResult; /* returned by isc_service_attach */
  intptr_t DetachResult; /* returned by isc_service_detach */
  int Attaches, Detaches;
  char Name[256];
  unsigned short NameLength;
  unsigned char Block[1024];
  unsigned short BlockLength;
  void* HandleOnEntry;
  void* HandleDetached;
  /* Where each call found its first argument on the stack (32-bit only). */
  uintptr_t AttachArgs, DetachArgs;
} TStandInState;

/* Exported as "stand_in_state". */
typedef TStandInState* (*TStandInStateProc)(void);

/* The handle a successful attach gives out. */
#define SKD_STAND_IN_HANDLE ((void*)(uintptr_t)0x5EC0)

#endif
