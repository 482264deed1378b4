#include "block_memory_fake.h"

#include <cstdint>
#include <cstdlib>

namespace probe_test {

namespace {
// The bit a wide handle adds to the platform's; unused where handles are 32-bit.
constexpr std::uintptr_t kWideBit = std::uintptr_t{1}
                                    << (BlockMemoryFake::kCanWidenHandles ? 32 : 0);
}  // namespace

HGLOBAL BlockMemoryFake::Widened(HGLOBAL block) {
    return reinterpret_cast<HGLOBAL>(reinterpret_cast<std::uintptr_t>(block) | kWideBit);
}

HGLOBAL BlockMemoryFake::Narrowed(HGLOBAL block) {
    if (!kCanWidenHandles)
        return block;
    return reinterpret_cast<HGLOBAL>(reinterpret_cast<std::uintptr_t>(block) & ~kWideBit);
}

BlockMemoryFake::BlockMemoryFake() : replaced_(probe::ActiveBlockMemory()) {
    // A second fake would forward to the first, whose functions would then find
    // the second through installed_.
    if (installed_ != nullptr)
        std::abort();
    installed_ = this;
    probe::ActiveBlockMemory() = {&Alloc, &Lock, &Unlock, &Free, replaced_.size};
}

BlockMemoryFake::~BlockMemoryFake() {
    probe::ActiveBlockMemory() = replaced_;
    installed_ = nullptr;
}

bool BlockMemoryFake::IsLive(ProbeBlockHandle handle) const {
    return live_.count(probe::ToHglobal(handle)) != 0;
}

BlockMemoryFake::Block BlockMemoryFake::Info(ProbeBlockHandle handle) const {
    auto found = live_.find(probe::ToHglobal(handle));
    return found == live_.end() ? Block{} : found->second;
}

int BlockMemoryFake::HeldLocks() const {
    int held = 0;
    for (const auto& entry : live_)
        held += entry.second.locks;
    return held;
}

unsigned BlockMemoryFake::PlatformLockCount(ProbeBlockHandle handle) {
    return GlobalFlags(probe::ToHglobal(handle)) & GMEM_LOCKCOUNT;
}

HGLOBAL WINAPI BlockMemoryFake::Alloc(UINT flags, SIZE_T bytes) {
    BlockMemoryFake& fake = *installed_;
    if (++fake.allocations_ == fake.failAllocation_)
        return nullptr;
    HGLOBAL block = fake.replaced_.alloc(flags, bytes);
    if (block != nullptr && kCanWidenHandles && fake.allocations_ == fake.widenAllocation_) {
        block = Widened(block);
        ++fake.liveWide_;
    }
    if (block != nullptr)
        fake.live_[block] = Block{bytes, flags, 0};
    return block;
}

LPVOID WINAPI BlockMemoryFake::Lock(HGLOBAL block) {
    BlockMemoryFake& fake = *installed_;
    if (++fake.lockCalls_ == fake.failLock_ || fake.failEveryLock_) {
        ++fake.refusedLocks_;
        return nullptr;
    }
    LPVOID data = fake.replaced_.lock(Narrowed(block));
    if (data == nullptr)
        return nullptr;
    ++fake.locks_;
    auto found = fake.live_.find(block);
    if (found != fake.live_.end())
        ++found->second.locks;
    return data;
}

BOOL WINAPI BlockMemoryFake::Unlock(HGLOBAL block) {
    BlockMemoryFake& fake = *installed_;
    ++fake.unlocks_;
    auto found = fake.live_.find(block);
    if (found == fake.live_.end() || found->second.locks == 0)
        fake.unbalanced_ = true;
    else
        --found->second.locks;
    return fake.replaced_.unlock(Narrowed(block));
}

HGLOBAL WINAPI BlockMemoryFake::Free(HGLOBAL block) {
    BlockMemoryFake& fake = *installed_;
    auto found = fake.live_.find(block);
    if (found == fake.live_.end() || found->second.locks != 0)
        fake.unbalanced_ = true;
    if (found != fake.live_.end())
        fake.live_.erase(found);
    if (Narrowed(block) != block)
        --fake.liveWide_;
    return fake.replaced_.free(Narrowed(block));
}

}  // namespace probe_test
