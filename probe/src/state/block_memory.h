// Movable memory blocks as the library uses them, behind a seam: tests put a
// fake in place of the platform's functions to count locks and inject failures.
#pragma once

#include <cstddef>
#include <cstdint>

#include "global_memory.h"
#include "palvo.h"

namespace probe {

struct BlockMemory {
    HGLOBAL(WINAPI* alloc)(UINT flags, SIZE_T bytes);
    LPVOID(WINAPI* lock)(HGLOBAL block);
    BOOL(WINAPI* unlock)(HGLOBAL block);
    HGLOBAL(WINAPI* free)(HGLOBAL block);
    SIZE_T(WINAPI* size)(HGLOBAL block);
};

// The functions in use; the platform's unless a test replaced them.
BlockMemory& ActiveBlockMemory();
BlockMemory PlatformBlockMemory();

inline HGLOBAL ToHglobal(ProbeBlockHandle handle) {
    return reinterpret_cast<HGLOBAL>(static_cast<std::uintptr_t>(handle));
}
// The record holds 32-bit handles; on 64-bit Windows a handle may be wider.
inline bool FitsBlockHandle(HGLOBAL block) {
    const auto value = reinterpret_cast<std::uintptr_t>(block);
    return value == static_cast<ProbeBlockHandle>(value);
}
inline ProbeBlockHandle FromHglobal(HGLOBAL block) {
    return static_cast<ProbeBlockHandle>(reinterpret_cast<std::uintptr_t>(block));
}

// A zero-filled movable block; 0 when it cannot be allocated or its handle does
// not fit the record.
ProbeBlockHandle AllocateBlock(std::size_t bytes);
// Frees a block and sets the handle to 0; a handle of 0 is skipped.
void FreeBlock(ProbeBlockHandle& handle);
// Size of a live block in bytes, 0 for a handle that is not live.
std::size_t BlockSize(ProbeBlockHandle handle);

// Holds the lock of one block for the length of a scope.
class BlockLock {
  public:
    explicit BlockLock(ProbeBlockHandle handle);
    ~BlockLock();
    BlockLock(const BlockLock&) = delete;
    BlockLock& operator=(const BlockLock&) = delete;

    // Null when the lock yielded no address.
    void* data() const { return data_; }
    template <typename T>
    T* as() const {
        return static_cast<T*>(data_);
    }

  private:
    HGLOBAL block_;
    void* data_;
};

}  // namespace probe
