#include "global_memory.h"

#include <cstdint>
#include <cstring>
#include <map>
#include <memory>

namespace {

struct Block {
    std::unique_ptr<unsigned char[]> bytes;
    SIZE_T size = 0;
    unsigned lockCount = 0;
};

struct Heap {
    std::map<std::uint32_t, Block> blocks;
    std::uint32_t nextHandle = 0x1000;
};

Heap& TheHeap() {
    static Heap heap;
    return heap;
}

std::uint32_t HandleValue(HGLOBAL block) {
    return static_cast<std::uint32_t>(reinterpret_cast<std::uintptr_t>(block));
}

Block* Find(HGLOBAL block) {
    auto& blocks = TheHeap().blocks;
    auto it = blocks.find(HandleValue(block));
    return it == blocks.end() ? nullptr : &it->second;
}

}  // namespace

extern "C" {

HGLOBAL GlobalAlloc(UINT flags, SIZE_T bytes) {
    Heap& heap = TheHeap();
    Block block;
    block.size = bytes;
    block.bytes.reset(new (std::nothrow) unsigned char[bytes == 0 ? 1 : bytes]);
    if (!block.bytes)
        return nullptr;
    if (flags & GMEM_ZEROINIT)
        std::memset(block.bytes.get(), 0, bytes);
    // Handle values are multiples of 8, never 0, and not reused until they wrap.
    std::uint32_t handle = heap.nextHandle;
    do {
        heap.nextHandle += 8;
        if (heap.nextHandle == 0)
            heap.nextHandle = 0x1000;
    } while (heap.blocks.count(heap.nextHandle) != 0);
    heap.blocks.emplace(handle, std::move(block));
    return reinterpret_cast<HGLOBAL>(static_cast<std::uintptr_t>(handle));
}

LPVOID GlobalLock(HGLOBAL handle) {
    Block* block = Find(handle);
    if (block == nullptr)
        return nullptr;
    if (block->lockCount < GMEM_LOCKCOUNT)
        ++block->lockCount;
    return block->bytes.get();
}

BOOL GlobalUnlock(HGLOBAL handle) {
    Block* block = Find(handle);
    if (block == nullptr || block->lockCount == 0)
        return FALSE;
    --block->lockCount;
    return block->lockCount != 0 ? TRUE : FALSE;
}

HGLOBAL GlobalFree(HGLOBAL handle) {
    if (TheHeap().blocks.erase(HandleValue(handle)) == 0)
        return handle;
    return nullptr;
}

UINT GlobalFlags(HGLOBAL handle) {
    Block* block = Find(handle);
    if (block == nullptr)
        return GMEM_INVALID_HANDLE;
    return block->lockCount & GMEM_LOCKCOUNT;
}

SIZE_T GlobalSize(HGLOBAL handle) {
    Block* block = Find(handle);
    return block == nullptr ? 0 : block->size;
}

}  // extern "C"
