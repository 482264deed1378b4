/* Windows: the kernel's loader and movable memory. */
#include <windows.h>

#include <stdint.h>
#include <stdio.h>

#include "probe_library.h"

void* OpenProbeLibrary(int type, char* name, size_t nameSize) {
    snprintf(name, nameSize, "Palvo%d.dll", type);
    return (void*)LoadLibraryA(name);
}

ProbeExport FindProbeExport(void* library, const char* exportName) {
    return (ProbeExport)GetProcAddress((HMODULE)library, exportName);
}

void CloseProbeLibrary(void* library) {
    FreeLibrary((HMODULE)library);
}

const void* LockProbeBlock(ProbeBlockHandle handle) {
    return GlobalLock((HGLOBAL)(uintptr_t)handle);
}

void UnlockProbeBlock(ProbeBlockHandle handle) {
    GlobalUnlock((HGLOBAL)(uintptr_t)handle);
}
