// A stand-in for the library's movable memory. While one object lives, it takes
// the place of the functions in probe::ActiveBlockMemory() and passes every call
// on to the functions it replaced (the platform's); its destructor puts those
// back. It keeps the blocks allocated meanwhile with their sizes, flags and lock
// counts, counts the calls, notes unbalanced unlocks and frees, and can make the
// Nth allocation or lock, or every lock, fail. One may be installed at a time.
#pragma once

#include <cstddef>
#include <map>

#include "block_memory.h"

namespace probe_test {

class BlockMemoryFake {
  public:
    struct Block {
        std::size_t bytes = 0;
        unsigned flags = 0;
        int locks = 0;
    };

    BlockMemoryFake();
    ~BlockMemoryFake();
    BlockMemoryFake(const BlockMemoryFake&) = delete;
    BlockMemoryFake& operator=(const BlockMemoryFake&) = delete;

    // Makes the Nth allocation (or lock) from now fail, counting from 1; 0 disarms.
    void FailAllocation(unsigned n) { failAllocation_ = n == 0 ? 0 : allocations_ + n; }
    void FailLock(unsigned n) { failLock_ = n == 0 ? 0 : lockCalls_ + n; }
    void FailEveryLock(bool fail) { failEveryLock_ = fail; }
    // Makes the Nth allocation from now yield its block under a handle wider than
    // 32 bits, as 64-bit Windows may; only where handles have more than 32 bits.
    static constexpr bool kCanWidenHandles = sizeof(HGLOBAL) > 4;
    void WidenHandle(unsigned n) { widenAllocation_ = n == 0 ? 0 : allocations_ + n; }
    // Wide handles given out and not yet freed.
    unsigned LiveWideHandles() const { return liveWide_; }

    // Blocks allocated since installation and not yet freed.
    std::size_t LiveBlocks() const { return live_.size(); }
    bool IsLive(ProbeBlockHandle handle) const;
    // A live block as allocated, with the locks it holds; a zero Block otherwise.
    Block Info(ProbeBlockHandle handle) const;
    // Locks held on live blocks.
    int HeldLocks() const;
    // An unlock of a block that is not live or not locked, or a free of a block
    // that is not live or still locked. Blocks from before installation count as
    // not live.
    bool Unbalanced() const { return unbalanced_; }

    // Calls since installation, on any block.
    unsigned Allocations() const { return allocations_; }  // failed ones included
    unsigned LockCalls() const { return lockCalls_; }      // failed ones included
    unsigned Locks() const { return locks_; }              // those that yielded an address
    unsigned Unlocks() const { return unlocks_; }
    unsigned RefusedLocks() const { return refusedLocks_; }  // those made to fail
    // Locks taken less unlocks made, on any block.
    int OutstandingLocks() const { return static_cast<int>(locks_) - static_cast<int>(unlocks_); }

    // Lock count of a live block as the platform keeps it, whoever allocated it.
    static unsigned PlatformLockCount(ProbeBlockHandle handle);

  private:
    static HGLOBAL WINAPI Alloc(UINT flags, SIZE_T bytes);
    static LPVOID WINAPI Lock(HGLOBAL block);
    static BOOL WINAPI Unlock(HGLOBAL block);
    static HGLOBAL WINAPI Free(HGLOBAL block);
    static HGLOBAL Widened(HGLOBAL block);
    static HGLOBAL Narrowed(HGLOBAL block);

    // The functions it installs are plain function pointers: they find their
    // object through this one.
    static inline BlockMemoryFake* installed_ = nullptr;

    probe::BlockMemory replaced_;
    std::map<HGLOBAL, Block> live_;
    unsigned allocations_ = 0;
    unsigned lockCalls_ = 0;
    unsigned locks_ = 0;
    unsigned unlocks_ = 0;
    unsigned refusedLocks_ = 0;
    unsigned failAllocation_ = 0;
    unsigned failLock_ = 0;
    unsigned widenAllocation_ = 0;
    unsigned liveWide_ = 0;
    bool failEveryLock_ = false;
    bool unbalanced_ = false;
};

}  // namespace probe_test
