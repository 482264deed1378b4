#include "library_loader.h"

namespace {

HMODULE Load(const char* fileName) {
    return LoadLibraryA(fileName);
}

LoadedFunction Lookup(HMODULE module, const char* name) {
    return reinterpret_cast<LoadedFunction>(reinterpret_cast<void*>(GetProcAddress(module, name)));
}

bool Release(HMODULE module) {
    return FreeLibrary(module) != FALSE;
}

}  // namespace

LibraryLoaderApi PlatformLibraryLoaderApi() {
    return LibraryLoaderApi{Load, Lookup, Release};
}

LibraryLoaderApi& ActiveLibraryLoaderApi() {
    static LibraryLoaderApi api = PlatformLibraryLoaderApi();
    return api;
}
