// A stand-in for the library's movable memory: passes every call on to the
// platform, keeps count of live blocks, their sizes and lock counts, and can make
// the Nth allocation or lock fail. Installed for the lifetime of one object.
#pragma once

#include <cstddef>
#include <map>

#include "block_memory.h"

namespace probe_test::decoding {

class TrackingBlockMemory {
  public:
    struct Block {
        std::size_t bytes = 0;
        unsigned flags = 0;
        int locks = 0;
    };

    TrackingBlockMemory() : saved_(probe::ActiveBlockMemory()) {
        platform_ = saved_;
        live_.clear();
        allocations_ = locks_ = 0;
        failAllocation_ = failLock_ = 0;
        unbalanced_ = false;
        probe::ActiveBlockMemory() = {&Alloc, &Lock, &Unlock, &Free, platform_.size};
    }
    ~TrackingBlockMemory() { probe::ActiveBlockMemory() = saved_; }
    TrackingBlockMemory(const TrackingBlockMemory&) = delete;
    TrackingBlockMemory& operator=(const TrackingBlockMemory&) = delete;

    // Makes the Nth allocation (or lock) from now fail, counting from 1; 0 disarms.
    void FailAllocation(unsigned n) { failAllocation_ = n == 0 ? 0 : allocations_ + n; }
    void FailLock(unsigned n) { failLock_ = n == 0 ? 0 : locks_ + n; }

    std::size_t LiveBlocks() const { return live_.size(); }
    int HeldLocks() const {
        int held = 0;
        for (const auto& entry : live_)
            held += entry.second.locks;
        return held;
    }
    bool IsLive(ProbeBlockHandle handle) const {
        return live_.count(probe::ToHglobal(handle)) != 0;
    }
    Block Info(ProbeBlockHandle handle) const {
        auto found = live_.find(probe::ToHglobal(handle));
        return found == live_.end() ? Block{} : found->second;
    }
    unsigned Allocations() const { return allocations_; }
    // An unlock or free of a block that was not live or, for a free, still locked.
    bool Unbalanced() const { return unbalanced_; }

  private:
    static HGLOBAL WINAPI Alloc(UINT flags, SIZE_T bytes) {
        if (++allocations_ == failAllocation_)
            return nullptr;
        HGLOBAL block = platform_.alloc(flags, bytes);
        if (block != nullptr)
            live_[block] = Block{bytes, flags, 0};
        return block;
    }
    static LPVOID WINAPI Lock(HGLOBAL block) {
        if (++locks_ == failLock_)
            return nullptr;
        LPVOID data = platform_.lock(block);
        auto found = live_.find(block);
        if (data != nullptr && found != live_.end())
            ++found->second.locks;
        return data;
    }
    static BOOL WINAPI Unlock(HGLOBAL block) {
        auto found = live_.find(block);
        if (found == live_.end() || found->second.locks == 0)
            unbalanced_ = true;
        else
            --found->second.locks;
        return platform_.unlock(block);
    }
    static HGLOBAL WINAPI Free(HGLOBAL block) {
        auto found = live_.find(block);
        if (found == live_.end() || found->second.locks != 0)
            unbalanced_ = true;
        if (found != live_.end())
            live_.erase(found);
        return platform_.free(block);
    }

    probe::BlockMemory saved_;
    static inline probe::BlockMemory platform_{};
    static inline std::map<HGLOBAL, Block> live_;
    static inline unsigned allocations_ = 0;
    static inline unsigned locks_ = 0;
    static inline unsigned failAllocation_ = 0;
    static inline unsigned failLock_ = 0;
    static inline bool unbalanced_ = false;
};

}  // namespace probe_test::decoding
