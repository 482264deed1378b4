/*
 * The platform's part of the host: loading the probe library of a type, finding its
 * exports and locking the movable memory blocks whose handles the record carries.
 * probe_library_win32.c uses the Windows kernel; probe_library_posix.c uses dlopen
 * and the movable-memory library installed with the probe libraries.
 */
#ifndef HOST_PROBE_LIBRARY_H
#define HOST_PROBE_LIBRARY_H

#include <stddef.h>

#include "palvo.h"

/* Any export; cast it to the pointer type palvo.h gives for it. */
typedef void (*ProbeExport)(void);

/* Loads "Palvo<type>.dll" (Windows) or "libPalvo<type>.so.1" (Linux) and writes that
 * name into name. Null when the library cannot be loaded. */
void* OpenProbeLibrary(int type, char* name, size_t nameSize);
/* Null when the library lacks the export. */
ProbeExport FindProbeExport(void* library, const char* exportName);
void CloseProbeLibrary(void* library);

/* The block's bytes, locked until UnlockProbeBlock; null for a handle that is not live. */
const void* LockProbeBlock(ProbeBlockHandle handle);
void UnlockProbeBlock(ProbeBlockHandle handle);

#endif /* HOST_PROBE_LIBRARY_H */
