// The loader's entry point: the state is reset when the library is attached.
#include <windows.h>

#include "library_state.h"

extern "C" BOOL WINAPI DllMain(HINSTANCE, DWORD reason, LPVOID) {
    if (reason == DLL_PROCESS_ATTACH)
        probe::ResetProbeState(probe::LibraryState());
    return TRUE;
}
