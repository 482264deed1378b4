// The platform's dynamic loading behind a seam, so that tests can count lookups
// and make a release fail.
#pragma once

#include "dynamic_library.h"

using LoadedFunction = void (*)();

struct LibraryLoaderApi {
    HMODULE (*load)(const char* fileName);                       // null when not loaded
    LoadedFunction (*lookup)(HMODULE module, const char* name);  // null when missing
    bool (*release)(HMODULE module);                             // false when refused
};

LibraryLoaderApi PlatformLibraryLoaderApi();  // LoadLibraryA, GetProcAddress, FreeLibrary
LibraryLoaderApi& ActiveLibraryLoaderApi();   // what the binding calls; tests replace it
