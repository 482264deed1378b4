// Test double for the movable-memory seam: passes every call to the functions it
// replaced, counts locks and unlocks, and can make every lock fail.
#pragma once

#include "block_memory.h"

namespace probe_test {

struct LockCounts {
    int locks = 0;  // calls that yielded an address
    int unlocks = 0;
    int refused = 0;  // calls made to fail
    bool failLocks = false;
};

class CountingBlockMemory {
  public:
    CountingBlockMemory() : saved_(probe::ActiveBlockMemory()) {
        Counts() = {};
        Inner() = saved_;
        probe::ActiveBlockMemory().lock = &Lock;
        probe::ActiveBlockMemory().unlock = &Unlock;
    }
    ~CountingBlockMemory() { probe::ActiveBlockMemory() = saved_; }
    CountingBlockMemory(const CountingBlockMemory&) = delete;
    CountingBlockMemory& operator=(const CountingBlockMemory&) = delete;

    static LockCounts& Counts() {
        static LockCounts counts;
        return counts;
    }

    // Lock count of a live block as the platform keeps it.
    static unsigned LockCountOf(ProbeBlockHandle handle) {
        return GlobalFlags(probe::ToHglobal(handle)) & GMEM_LOCKCOUNT;
    }

  private:
    static probe::BlockMemory& Inner() {
        static probe::BlockMemory inner;
        return inner;
    }
    static LPVOID WINAPI Lock(HGLOBAL block) {
        if (Counts().failLocks) {
            ++Counts().refused;
            return nullptr;
        }
        LPVOID data = Inner().lock(block);
        if (data != nullptr)
            ++Counts().locks;
        return data;
    }
    static BOOL WINAPI Unlock(HGLOBAL block) {
        ++Counts().unlocks;
        return Inner().unlock(block);
    }

    probe::BlockMemory saved_;
};

}  // namespace probe_test
