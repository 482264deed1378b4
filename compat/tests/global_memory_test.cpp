#include <gtest/gtest.h>

#include <cstdint>

#include "global_memory.h"
#include "global_memory_faults.h"

namespace {

TEST(GlobalMemory, ZeroFillsAndCountsLocks) {
    HGLOBAL block = GlobalAlloc(GMEM_MOVEABLE | GMEM_ZEROINIT, 100);
    ASSERT_NE(block, nullptr);
    EXPECT_LE(reinterpret_cast<std::uintptr_t>(block), UINT32_MAX);
    EXPECT_EQ(GlobalSize(block), 100u);
    EXPECT_EQ(GlobalFlags(block), 0u);

    auto* bytes = static_cast<unsigned char*>(GlobalLock(block));
    ASSERT_NE(bytes, nullptr);
    for (int i = 0; i < 100; ++i)
        ASSERT_EQ(bytes[i], 0) << i;
    EXPECT_EQ(GlobalLock(block), bytes);
    EXPECT_EQ(GlobalFlags(block), 2u);
    EXPECT_TRUE(GlobalUnlock(block));
    EXPECT_FALSE(GlobalUnlock(block));
    EXPECT_EQ(GlobalFlags(block), 0u);
    EXPECT_FALSE(GlobalUnlock(block));

    EXPECT_EQ(GlobalFree(block), nullptr);
}

TEST(GlobalMemory, DeadHandlesYieldNothing) {
    HGLOBAL block = GlobalAlloc(GHND, 8);
    ASSERT_EQ(GlobalFree(block), nullptr);
    EXPECT_EQ(GlobalLock(block), nullptr);
    EXPECT_EQ(GlobalFlags(block), GMEM_INVALID_HANDLE);
    EXPECT_EQ(GlobalSize(block), 0u);
    EXPECT_EQ(GlobalFree(block), block);
    EXPECT_EQ(GlobalLock(nullptr), nullptr);
}

TEST(GlobalMemory, HandlesAreDistinctAndNotReusedAtOnce) {
    HGLOBAL a = GlobalAlloc(GHND, 4);
    GlobalFree(a);
    HGLOBAL b = GlobalAlloc(GHND, 4);
    EXPECT_NE(a, b);
    GlobalFree(b);
}

TEST(GlobalMemory, InjectedFailuresHitTheNthCallOnly) {
    unsigned live = CompatLiveGlobalBlocks();
    CompatFailNthGlobalAlloc(2);
    HGLOBAL first = GlobalAlloc(GHND, 4);
    HGLOBAL second = GlobalAlloc(GHND, 4);
    HGLOBAL third = GlobalAlloc(GHND, 4);
    EXPECT_NE(first, nullptr);
    EXPECT_EQ(second, nullptr);
    EXPECT_NE(third, nullptr);
    EXPECT_EQ(CompatLiveGlobalBlocks(), live + 2);

    CompatFailNthGlobalLock(1);
    EXPECT_EQ(GlobalLock(first), nullptr);
    EXPECT_EQ(GlobalFlags(first), 0u);
    EXPECT_NE(GlobalLock(first), nullptr);
    GlobalUnlock(first);

    GlobalFree(first);
    GlobalFree(third);
    EXPECT_EQ(CompatLiveGlobalBlocks(), live);
}

}  // namespace
