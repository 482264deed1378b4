// Fault injection for the POSIX movable memory blocks, for tests only: the test
// library libpalvo-globalmem-faults interposes GlobalAlloc, GlobalLock and
// GlobalFree of the shipped library, which itself carries no hook. A test
// program links it ahead of that library; every hook stops the program when the
// interposition is not in place, so that no test passes without its faults.
#pragma once

#include "global_memory.h"

extern "C" {
// Makes the Nth GlobalAlloc (or GlobalLock) from now fail, counting from 1; 0 disarms.
COMPAT_GLOBAL_API void CompatFailNthGlobalAlloc(unsigned n);
COMPAT_GLOBAL_API void CompatFailNthGlobalLock(unsigned n);
// Number of blocks currently live in the process.
COMPAT_GLOBAL_API unsigned CompatLiveGlobalBlocks(void);
}
