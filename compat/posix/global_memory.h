// Movable global memory blocks on POSIX, with the meaning of the Windows kernel's:
// 32-bit handles, zero fill on GMEM_ZEROINIT, lock counts, null from GlobalLock for
// a handle that is not live. One shared library holds the blocks of every module
// in the process, so a host can lock a handle that a probe library allocated.
#pragma once

#include <cstddef>
#include <cstdint>

#define COMPAT_GLOBAL_API __attribute__((visibility("default")))

typedef struct GlobalBlockTag* HGLOBAL;  // holds a 32-bit handle value, never a pointer
typedef unsigned int UINT;
typedef int BOOL;
typedef std::size_t SIZE_T;
typedef void* LPVOID;

#define WINAPI

#ifndef TRUE
#define TRUE 1
#define FALSE 0
#endif

constexpr UINT GMEM_FIXED = 0x0000;
constexpr UINT GMEM_MOVEABLE = 0x0002;
constexpr UINT GMEM_ZEROINIT = 0x0040;
constexpr UINT GHND = GMEM_MOVEABLE | GMEM_ZEROINIT;
constexpr UINT GMEM_LOCKCOUNT = 0x00FF;
constexpr UINT GMEM_INVALID_HANDLE = 0x8000;

extern "C" {
COMPAT_GLOBAL_API HGLOBAL GlobalAlloc(UINT flags, SIZE_T bytes);
COMPAT_GLOBAL_API LPVOID GlobalLock(HGLOBAL block);
// Nonzero while the block stays locked, zero once its lock count is back to zero.
COMPAT_GLOBAL_API BOOL GlobalUnlock(HGLOBAL block);
// Null on success, the handle itself when it is not live.
COMPAT_GLOBAL_API HGLOBAL GlobalFree(HGLOBAL block);
// Lock count in the low byte, or GMEM_INVALID_HANDLE for a handle that is not live.
COMPAT_GLOBAL_API UINT GlobalFlags(HGLOBAL block);
COMPAT_GLOBAL_API SIZE_T GlobalSize(HGLOBAL block);
}
