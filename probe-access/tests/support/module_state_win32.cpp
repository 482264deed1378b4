#include <windows.h>

#include "module_state.h"

bool IsLibraryMapped(const char* fileName) {
    return GetModuleHandleA(fileName) != nullptr;
}
