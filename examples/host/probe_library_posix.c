/* Linux: dlopen by SONAME, found on the library search path (the program's RUNPATH,
 * LD_LIBRARY_PATH, the system's folders), and the movable-memory library. */
#include <dlfcn.h>
#include <stdint.h>
#include <stdio.h>
#include <string.h>

#include "global_memory.h"
#include "probe_library.h"

void* OpenProbeLibrary(int type, char* name, size_t nameSize) {
    snprintf(name, nameSize, "libPalvo%d.so.1", type);
    return dlopen(name, RTLD_NOW | RTLD_LOCAL);
}

ProbeExport FindProbeExport(void* library, const char* exportName) {
    void* address = dlsym(library, exportName);
    ProbeExport function;
    memcpy(&function, &address, sizeof function);
    return function;
}

void CloseProbeLibrary(void* library) {
    dlclose(library);
}

const void* LockProbeBlock(ProbeBlockHandle handle) {
    return GlobalLock((HGLOBAL)(uintptr_t)handle);
}

void UnlockProbeBlock(ProbeBlockHandle handle) {
    GlobalUnlock((HGLOBAL)(uintptr_t)handle);
}
