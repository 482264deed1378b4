// Test-only fault injection for the POSIX movable memory blocks.
#pragma once

#include "global_memory.h"

extern "C" {
// Makes the Nth GlobalAlloc (or GlobalLock) from now fail, counting from 1; 0 disarms.
COMPAT_GLOBAL_API void CompatFailNthGlobalAlloc(unsigned n);
COMPAT_GLOBAL_API void CompatFailNthGlobalLock(unsigned n);
// Number of blocks currently live in the process.
COMPAT_GLOBAL_API unsigned CompatLiveGlobalBlocks(void);
}
