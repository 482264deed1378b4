// The floats a movable block holds, read under a lock.
#pragma once

#include <cstddef>
#include <vector>

#include "block_memory.h"

namespace probe_test {

// The first count floats of the block; empty when it cannot be locked.
inline std::vector<float> BlockFloats(ProbeBlockHandle handle, std::size_t count) {
    probe::BlockLock lock(handle);
    if (lock.data() == nullptr)
        return {};
    return std::vector<float>(lock.as<float>(), lock.as<float>() + count);
}

}  // namespace probe_test
