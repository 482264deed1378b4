/*
 * Movable global memory blocks on POSIX, with the meaning of the Windows kernel's:
 * 32-bit handles, zero fill on GMEM_ZEROINIT, lock counts, null from GlobalLock for
 * a handle that is not live. One shared library holds the blocks of every module
 * in the process, so a host can lock a handle that a probe library allocated.
 * Plain C, for hosts in C as well as in C++.
 */
#ifndef PALVO_GLOBAL_MEMORY_H
#define PALVO_GLOBAL_MEMORY_H

#include <stddef.h>

#define COMPAT_GLOBAL_API __attribute__((visibility("default")))

typedef struct GlobalBlockTag* HGLOBAL; /* holds a 32-bit handle value, never a pointer */
typedef unsigned int UINT;
typedef int BOOL;
typedef size_t SIZE_T;
typedef void* LPVOID;

#define WINAPI

#ifndef TRUE
#define TRUE 1
#define FALSE 0
#endif

#define GMEM_FIXED 0x0000u
#define GMEM_MOVEABLE 0x0002u
#define GMEM_ZEROINIT 0x0040u
#define GHND (GMEM_MOVEABLE | GMEM_ZEROINIT)
#define GMEM_LOCKCOUNT 0x00FFu
#define GMEM_INVALID_HANDLE 0x8000u

#ifdef __cplusplus
extern "C" {
#endif

COMPAT_GLOBAL_API HGLOBAL GlobalAlloc(UINT flags, SIZE_T bytes);
COMPAT_GLOBAL_API LPVOID GlobalLock(HGLOBAL block);
/* Nonzero while the block stays locked, zero once its lock count is back to zero. */
COMPAT_GLOBAL_API BOOL GlobalUnlock(HGLOBAL block);
/* Null on success, the handle itself when it is not live. */
COMPAT_GLOBAL_API HGLOBAL GlobalFree(HGLOBAL block);
/* Lock count in the low byte, or GMEM_INVALID_HANDLE for a handle that is not live. */
COMPAT_GLOBAL_API UINT GlobalFlags(HGLOBAL block);
COMPAT_GLOBAL_API SIZE_T GlobalSize(HGLOBAL block);

#ifdef __cplusplus
}
#endif

#endif /* PALVO_GLOBAL_MEMORY_H */
