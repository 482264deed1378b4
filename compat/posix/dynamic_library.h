// Run-time loading of libraries on POSIX, with the meaning of the Windows kernel's.
// A bare name "Name.dll" is looked up as "libName.so" in the program's own
// directory, the first place the Windows search looks; any other name is passed
// to dlopen as it stands.
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
