#include "block_memory.h"

namespace probe {

BlockMemory PlatformBlockMemory() {
    return {&GlobalAlloc, &GlobalLock, &GlobalUnlock, &GlobalFree, &GlobalSize};
}

BlockMemory& ActiveBlockMemory() {
    static BlockMemory memory = PlatformBlockMemory();
    return memory;
}

ProbeBlockHandle AllocateBlock(std::size_t bytes) {
    HGLOBAL block = ActiveBlockMemory().alloc(GMEM_MOVEABLE | GMEM_ZEROINIT, bytes);
    if (block != nullptr && !FitsBlockHandle(block)) {
        ActiveBlockMemory().free(block);  // never truncated into the record
        return 0;
    }
    return FromHglobal(block);
}

void FreeBlock(ProbeBlockHandle& handle) {
    if (handle == 0)
        return;
    ActiveBlockMemory().free(ToHglobal(handle));
    handle = 0;
}

std::size_t BlockSize(ProbeBlockHandle handle) {
    return handle == 0 ? 0 : ActiveBlockMemory().size(ToHglobal(handle));
}

BlockLock::BlockLock(ProbeBlockHandle handle)
    : block_(ToHglobal(handle)), data_(ActiveBlockMemory().lock(block_)) {}

BlockLock::~BlockLock() {
    if (data_ != nullptr)
        ActiveBlockMemory().unlock(block_);
}

}  // namespace probe
