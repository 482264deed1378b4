// Run-time loading of libraries on POSIX, with the meaning of the Windows kernel's.
// A bare name "Name.dll" is looked up in the order of the Windows search: first as
// "libName.so" in the program's own directory (the build tree), then by its SONAME
// "libName.so.<ABI version>" on the library search path: the program's RUNPATH
// (an installed program finds the libraries of its own installation),
// LD_LIBRARY_PATH and the system's folders. Any other name is passed to dlopen as
// it stands.
#pragma once

typedef struct ModuleTag* HMODULE;
typedef HMODULE HINSTANCE;
typedef int (*FARPROC)();
typedef int BOOL;

#ifndef TRUE
#define TRUE 1
#define FALSE 0
#endif

HMODULE LoadLibraryA(const char* fileName);
FARPROC GetProcAddress(HMODULE module, const char* name);
BOOL FreeLibrary(HMODULE module);
